#include "foundation/erasefs.h"

#include <winternl.h>

#include <vector>

#include "foundation/allerase.h"

namespace nv::allerase::detail {

namespace {
bool g_linkCheck = true;
}

bool UnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

void SetFileLinkCheck(bool on) { g_linkCheck = on; }

bool FileLinkCheck() { return g_linkCheck; }

}  // namespace nv::allerase::detail

namespace nv::erasefs {

namespace {
using QueryObjectFn = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
constexpr auto kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);
}  // namespace

PathBuf::PathBuf(const std::wstring& canonical) {
    unc_ = canonical.starts_with(L"\\\\");
    s_ = unc_ ? L"\\\\?\\UNC\\" + canonical.substr(2) : L"\\\\?\\" + canonical;
}

std::wstring PathBuf::Shown() const { return unc_ ? L"\\\\" + s_.substr(8) : s_.substr(4); }

bool CheckFileLinks() { return allerase::detail::UnderWine() && allerase::detail::FileLinkCheck(); }

std::wstring ResolvedName(HANDLE h) {
    static const auto query =
        reinterpret_cast<QueryObjectFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject"));
    if (!query) return {};
    // Most names fit the stack buffer; long ones get the size they need.
    alignas(8) BYTE local[2048];
    std::vector<BYTE> heap;
    BYTE* buf = local;
    ULONG size = sizeof local;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ULONG needed = 0;
        NTSTATUS st = query(h, kObjectNameInformation, buf, size, &needed);
        if (st >= 0) {
            const auto* name = reinterpret_cast<const UNICODE_STRING*>(buf);
            return std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
        }
        if (needed <= size) break;
        heap.resize(needed + 16);
        buf = heap.data();
        size = static_cast<ULONG>(heap.size());
    }
    return {};
}

ScopedFile OpenForQuery(const wchar_t* path) {
    return ScopedFile(CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
}

bool Folder::IsLinkedFile(HANDLE h, const wchar_t* name) {
    if (state_ == 0) {
        ScopedFile dir = OpenForQuery(dir_.full().substr(0, length_).c_str());
        resolved_ = dir ? ResolvedName(dir.get()) : std::wstring();
        state_ = resolved_.empty() ? -1 : 1;
        if (state_ == 1 && resolved_.back() != L'\\') resolved_ += L'\\';
    }
    if (state_ < 0) return true;  // cannot tell: do not touch it
    std::wstring file = ResolvedName(h);
    size_t n = wcslen(name);
    if (file.size() != resolved_.size() + n) return true;
    return CompareStringOrdinal(file.data(), static_cast<int>(resolved_.size()), resolved_.data(),
                                static_cast<int>(resolved_.size()), TRUE) != CSTR_EQUAL ||
           CompareStringOrdinal(file.data() + resolved_.size(), static_cast<int>(n), name, static_cast<int>(n),
                                TRUE) != CSTR_EQUAL;
}

bool IsLinkPath(const std::wstring& canonical) {
    PathBuf path(canonical);
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return false;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (!CheckFileLinks() || (attr & FILE_ATTRIBUTE_DIRECTORY)) return false;
    size_t slash = canonical.find_last_of(L'\\');
    PathBuf parent(canonical.substr(0, slash == 2 ? 3 : slash));
    ScopedFile h = OpenForQuery(path.c_str());
    return !h || Folder(parent).IsLinkedFile(h.get(), canonical.c_str() + slash + 1);
}

}  // namespace nv::erasefs
