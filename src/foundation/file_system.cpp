#include "foundation/file_system.h"

#include <winternl.h>

#include <vector>

#include "foundation/erase_primitives.h"

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

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(std::wstring_view s, std::wstring_view tail) {
    return s.size() > tail.size() && s[s.size() - tail.size() - 1] == L'\\' &&
           EqualNoCase(s.substr(s.size() - tail.size()), tail);
}

// The name as Wine resolves it: without trailing dots and blanks.
std::wstring_view WineNameForm(std::wstring_view n) {
    while (!n.empty() && (n.back() == L'.' || n.back() == L' ')) n.remove_suffix(1);
    return n;
}
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
        ScopedFile dir = OpenForQuery(Path().c_str());
        resolved_ = dir ? ResolvedName(dir.get()) : std::wstring();
        state_ = resolved_.empty() ? -1 : 1;
        if (state_ == 1) {
            // The folder (never a link here: walks do not enter those) may
            // resolve in Wine's form too, while its files resolve below its
            // real name: "d. " resolves as "d", its file as "d. \inner".
            std::wstring path = Path();
            std::wstring_view last = std::wstring_view(path).substr(path.find_last_of(L'\\') + 1);
            std::wstring_view bare = WineNameForm(last);
            if (bare.size() < last.size() && EndsWithNoCase(resolved_, bare))
                resolved_.replace(resolved_.size() - bare.size(), bare.size(), last);
            if (resolved_.back() != L'\\') resolved_ += L'\\';
        }
    }
    if (state_ < 0) return true;  // cannot tell: do not touch it
    std::wstring file = ResolvedName(h);
    if (file.size() <= resolved_.size() || !EqualNoCase(std::wstring_view(file).substr(0, resolved_.size()), resolved_))
        return true;
    std::wstring_view own = std::wstring_view(file).substr(resolved_.size()), listed(name);
    if (EqualNoCase(own, listed)) return false;
    // Wine resolves "trail." and "trail " as "trail": that form is the file
    // itself, unless another entry of the folder with the same form is this
    // very file (a link named "trail." to "trail").
    std::wstring_view bare = WineNameForm(listed);
    if (bare.size() == listed.size() || bare.empty() || !EqualNoCase(own, bare)) return true;
    return HasTwin(h, listed, bare);
}

bool Folder::HasTwin(HANDLE h, std::wstring_view listed, std::wstring_view bare) const {
    BY_HANDLE_FILE_INFORMATION self;
    if (!GetFileInformationByHandle(h, &self) || bare.find_first_of(L"*?") != std::wstring_view::npos) return true;
    const std::wstring dir = Path() + L'\\';
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW((dir + std::wstring(bare) + L'*').c_str(), FindExInfoBasic, &fd,
                                     FindExSearchNameMatch, nullptr, 0));
    if (!find) return true;
    do {
        std::wstring_view n(fd.cFileName);
        if (n == listed || !EqualNoCase(WineNameForm(n), bare)) continue;
        ScopedFile other = OpenForQuery((dir + fd.cFileName).c_str());
        BY_HANDLE_FILE_INFORMATION info;
        if (other && GetFileInformationByHandle(other.get(), &info) &&
            info.dwVolumeSerialNumber == self.dwVolumeSerialNumber && info.nFileIndexHigh == self.nFileIndexHigh &&
            info.nFileIndexLow == self.nFileIndexLow)
            return true;
    } while (FindNextFileW(find.get(), &fd));
    return false;
}

Fate LeftFate(DWORD error, bool readOnly) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return Fate::InUse;
    case ERROR_ACCESS_DENIED: return readOnly ? Fate::ReadOnly : Fate::AccessDenied;
    default: return readOnly ? Fate::ReadOnly : Fate::Failed;
    }
}

Fate KeptFate(Overwrite overwrite) {
    switch (overwrite) {
    case Overwrite::Done: return Fate::Removed;
    case Overwrite::OtherNames: return Fate::KeptOtherNames;
    case Overwrite::NotWritable: return Fate::KeptInUse;
    case Overwrite::Unmapped: return Fate::KeptUnmapped;
    case Overwrite::Failed: return Fate::KeptPartly;
    }
    return Fate::Removed;
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
