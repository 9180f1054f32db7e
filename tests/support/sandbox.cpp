#include "sandbox.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundation/handles.h"
#include "foundation/text.h"

namespace nvtest {

namespace {
class SandboxGuard : public ::testing::Environment {
public:
    void SetUp() override {
        if (InSandbox()) return;
        std::fprintf(stderr,
                     "Refusing to run: these tests delete files and registry keys and run only inside the\n"
                     "sandboxed Wine prefix that tools/test creates.\n");
        std::fflush(stderr);
        std::_Exit(2);
    }
};
const auto* const g_guard = ::testing::AddGlobalTestEnvironment(new SandboxGuard);

int g_counter = 0;
}  // namespace

void MakeDirs(const std::wstring& path) {
    for (size_t p = path.find(L'\\', 3); ; p = path.find(L'\\', p + 1)) {
        CreateDirectoryW(path.substr(0, p).c_str(), nullptr);
        if (p == std::wstring::npos) break;
    }
}

ScratchDir::ScratchDir(const std::wstring& name) {
    path_ = L"C:\\nvtest\\" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++g_counter);
    RemoveTree(path_);
    MakeDirs(path_);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL | (attr & FILE_ATTRIBUTE_DIRECTORY));
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    if (!(attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW fd;
        nv::ScopedFind f(FindFirstFileW((path + L"\\*").c_str(), &fd));
        if (f) {
            do {
                std::wstring n = fd.cFileName;
                if (n == L"." || n == L"..") continue;
                RemoveTree(path + L"\\" + n);
            } while (FindNextFileW(f.get(), &fd));
        }
    }
    RemoveDirectoryW(path.c_str());
}

void WriteFile(const std::wstring& path, uint64_t bytes, char fill) {
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) MakeDirs(path.substr(0, slash));
    nv::ScopedFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(f)) << Narrow(path);
    std::vector<char> chunk(64 * 1024, fill);
    while (bytes > 0) {
        DWORD n = static_cast<DWORD>(bytes < chunk.size() ? bytes : chunk.size());
        DWORD written = 0;
        ::WriteFile(f.get(), chunk.data(), n, &written, nullptr);
        bytes -= n;
    }
}

void WriteText(const std::wstring& path, const std::string& text) {
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) MakeDirs(path.substr(0, slash));
    nv::ScopedFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(f)) << Narrow(path);
    DWORD written = 0;
    ::WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string ReadText(const std::wstring& path) {
    nv::ScopedFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr));
    if (!f) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDir(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TestKey::TestKey(const std::wstring& name)
    : sub_(L"Software\\NorvaleTests\\" + name + L"-" + std::to_wstring(GetCurrentProcessId())) {
    DeleteTree(HKEY_CURRENT_USER, sub_);
    CreateKey(HKEY_CURRENT_USER, sub_);
}

TestKey::~TestKey() { DeleteTree(HKEY_CURRENT_USER, sub_); }

void SetString(HKEY root, const std::wstring& sub, const std::wstring& name, const std::wstring& data) {
    RegSetKeyValueW(root, sub.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY root, const std::wstring& sub, const std::wstring& name, DWORD data) {
    RegSetKeyValueW(root, sub.c_str(), name.c_str(), REG_DWORD, &data, sizeof data);
}

void CreateKey(HKEY root, const std::wstring& sub) {
    HKEY k;
    if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == ERROR_SUCCESS)
        RegCloseKey(k);
}

bool KeyExists(HKEY root, const std::wstring& sub) {
    HKEY k;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool ValueExists(HKEY root, const std::wstring& sub, const std::wstring& name) {
    return RegGetValueW(root, sub.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteTree(HKEY root, const std::wstring& sub) { SHDeleteKeyW(root, sub.c_str()); }

namespace {
// The kernel's name of an open key ("\REGISTRY\User\S-1-5-...\Software\..."),
// which is what a link's SymbolicLinkValue holds.
std::wstring KernelKeyName(HKEY k) {
    using QueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey"));
    alignas(8) BYTE buf[4096];
    ULONG n = 0;
    if (!query || query(k, 3 /* KeyNameInformation */, buf, sizeof buf, &n) < 0) return {};
    ULONG len = *reinterpret_cast<ULONG*>(buf);
    return std::wstring(reinterpret_cast<wchar_t*>(buf + sizeof(ULONG)), len / sizeof(wchar_t));
}

void DeleteLinkKey(HKEY root, const std::wstring& link) {
    using DeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto del = reinterpret_cast<DeleteKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey"));
    nv::ScopedKey k;
    if (RegOpenKeyExW(root, link.c_str(), REG_OPTION_OPEN_LINK, DELETE, k.put()) == ERROR_SUCCESS && del) del(k.get());
}
}  // namespace

RegLink::RegLink(HKEY root, const std::wstring& link, const std::wstring& target) : root_(root), link_(link) {
    DeleteLinkKey(root, link);
    nv::ScopedKey t, l;
    if (RegOpenKeyExW(root, target.c_str(), 0, KEY_READ, t.put()) != ERROR_SUCCESS) return;
    std::wstring name = KernelKeyName(t.get());
    if (name.empty() || RegCreateKeyExW(root, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, l.put(), nullptr) != ERROR_SUCCESS)
        return;
    ok_ = RegSetValueExW(l.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                         static_cast<DWORD>(name.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegLink::~RegLink() { DeleteLinkKey(root_, link_); }

ValueOverride::ValueOverride(HKEY root, std::wstring sub, std::wstring name, std::optional<std::wstring> value)
    : root_(root), sub_(std::move(sub)), name_(std::move(name)) {
    std::vector<wchar_t> buf(32768);
    DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegGetValueW(root_, sub_.c_str(), name_.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     buf.data(), &bytes) == ERROR_SUCCESS)
        old_ = buf.data();
    Set(value);
}

ValueOverride::~ValueOverride() { Set(old_); }

void ValueOverride::Set(const std::optional<std::wstring>& v) {
    if (v) SetString(root_, sub_, name_, *v);
    else RegDeleteKeyValueW(root_, sub_.c_str(), name_.c_str());
}

std::string Narrow(const std::wstring& s) { return nv::ToUtf8(s); }

EnvVar::EnvVar(const wchar_t* name, const wchar_t* value) : name_(name) {
    std::vector<wchar_t> buf(32768);
    DWORD n = GetEnvironmentVariableW(name, buf.data(), static_cast<DWORD>(buf.size()));
    had_ = n > 0 && n < buf.size();
    if (had_) old_.assign(buf.data(), n);
    SetEnvironmentVariableW(name, value);
}

EnvVar::~EnvVar() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

}  // namespace nvtest
