// Which folders and keys the erase primitives may touch.
#include <shlobj.h>

#include <vector>

#include "foundation/allerase.h"
#include "foundation/text.h"

namespace nv::allerase {

namespace {

bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::wstring EnvVar(const wchar_t* name) {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    return (n == 0 || n >= MAX_PATH * 2) ? std::wstring() : std::wstring(buf, n);
}

std::wstring ShellFolder(int csidl) {
    wchar_t buf[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : L"";
}

struct ProtectedFolder {
    std::wstring path;  // lower-cased canonical form
    bool profile;       // the user profile folder
};

// The folders nothing may delete or empty. Read afresh at every check: the
// environment can change under us.
std::vector<ProtectedFolder> ProtectedFolders() {
    std::vector<std::pair<std::wstring, bool>> raw;
    wchar_t win[MAX_PATH];
    if (UINT n = GetWindowsDirectoryW(win, MAX_PATH); n > 0 && n < MAX_PATH) raw.emplace_back(std::wstring(win, n), false);
    if (UINT n = GetSystemWindowsDirectoryW(win, MAX_PATH); n > 0 && n < MAX_PATH)
        raw.emplace_back(std::wstring(win, n), false);
    raw.emplace_back(EnvVar(L"USERPROFILE"), true);
    raw.emplace_back(ShellFolder(CSIDL_PROFILE), true);
    for (const wchar_t* var : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) raw.emplace_back(EnvVar(var), false);
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) raw.emplace_back(ShellFolder(csidl), false);
    std::vector<ProtectedFolder> out;
    for (const auto& [path, profile] : raw) {
        std::wstring n = ToLower(NormalizePath(path));
        if (!n.empty()) out.push_back({std::move(n), profile});
    }
    return out;
}

// "C:\" or "\\server\share": the part of a canonical path no component may
// climb above.
size_t RootLength(std::wstring_view canon) {
    if (canon.size() >= 3 && canon[1] == L':') return 3;
    size_t server = canon.find(L'\\', 2);
    size_t share = server == std::wstring_view::npos ? server : canon.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? canon.size() : share;
}

}  // namespace

std::wstring NormalizePath(std::wstring_view path) {
    std::wstring s(path);
    for (auto& c : s)
        if (c == L'/') c = L'\\';
    if (s.starts_with(L"\\\\?\\UNC\\")) {
        s.erase(2, 6);
    } else if (s.starts_with(L"\\\\?\\") || s.starts_with(L"\\??\\")) {
        s.erase(0, 4);
    } else if (s.starts_with(L"\\\\.\\")) {
        return {};  // devices are no folders of ours
    }

    std::wstring out;
    size_t pos;
    if (s.size() >= 3 && IsDriveLetter(s[0]) && s[1] == L':' && s[2] == L'\\') {
        out = {static_cast<wchar_t>(towupper(s[0])), L':', L'\\'};
        pos = 3;
    } else if (s.size() >= 2 && s[0] == L'\\' && s[1] == L'\\') {
        // \\server\share: both parts are needed.
        size_t server = s.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) return {};
        size_t shareEnd = s.find(L'\\', server + 1);
        if (shareEnd == std::wstring::npos) shareEnd = s.size();
        if (shareEnd == server + 1) return {};
        out = s.substr(0, shareEnd);
        pos = shareEnd;
    } else {
        return {};
    }

    const size_t root = out.size();
    while (pos < s.size()) {
        size_t end = pos;
        while (end < s.size() && !IsSep(s[end])) ++end;
        std::wstring_view part(s.data() + pos, end - pos);
        pos = end + 1;
        if (part == L"..") {
            size_t cut = out.find_last_of(L'\\');
            if (out.size() > root) out.resize(cut < root ? root : cut);
            continue;
        }
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.remove_suffix(1);
        if (part.empty()) continue;
        if (out.back() != L'\\') out += L'\\';
        out += part;
    }
    return out;
}

bool IsUnknownFolder(std::wstring_view path) { return NormalizePath(path).empty(); }

bool IsProtectedFolder(std::wstring_view path) { return detail::IsProtectedFolder(path, detail::ProfileWalk::Refused); }

bool detail::IsProtectedFolder(std::wstring_view path, ProfileWalk profile) {
    std::wstring canon = ToLower(NormalizePath(path));
    if (canon.empty()) return false;
    if (RootLength(canon) >= canon.size()) return true;
    for (const auto& [p, isProfile] : ProtectedFolders()) {
        if (p == canon && !(isProfile && profile == ProfileWalk::Allowed)) return true;
        if (p.size() > canon.size() && p.starts_with(canon) && p[canon.size()] == L'\\') return true;
    }
    return false;
}

ProtectedFolderCheck::ProtectedFolderCheck() {
    for (auto& f : ProtectedFolders()) folders_.push_back(std::move(f.path));
}

bool ProtectedFolderCheck::operator()(std::wstring_view path) const {
    std::wstring canon = ToLower(NormalizePath(path));
    if (canon.empty()) return false;
    if (RootLength(canon) >= canon.size()) return true;
    for (const std::wstring& p : folders_)
        if (p == canon || (p.size() > canon.size() && p.starts_with(canon) && p[canon.size()] == L'\\')) return true;
    return false;
}

namespace {

// The key's parts, lower-cased, empty ones (doubled or trailing
// backslashes) dropped: the registry ignores them as well.
std::vector<std::wstring> KeyParts(std::wstring_view subKey) {
    std::vector<std::wstring> parts;
    for (const auto& piece : Split(subKey, L'\\'))
        if (!piece.empty()) parts.push_back(ToLower(piece));
    return parts;
}

// Roots that are views of the system trees, or no trees at all.
bool IsSystemRoot(HKEY root) {
    return root == HKEY_CURRENT_CONFIG || root == HKEY_PERFORMANCE_DATA || root == HKEY_DYN_DATA ||
           root == HKEY_PERFORMANCE_TEXT || root == HKEY_PERFORMANCE_NLSTEXT;
}

// HKLM\SYSTEM, SAM, SECURITY, HARDWARE and the boot store: nothing at or
// below them is ours to delete.
bool InSystemTree(HKEY root, const std::vector<std::wstring>& parts) {
    if (IsSystemRoot(root)) return true;
    if (root != HKEY_LOCAL_MACHINE || parts.empty()) return false;
    for (const wchar_t* tree : {L"system", L"sam", L"security", L"hardware", L"bcd00000000"})
        if (parts[0] == tree) return true;
    return false;
}

// Keys the platform keeps directly below Software (and below its 32-bit
// view Software\Wow6432Node).
bool IsPlatformVendor(const std::wstring& name) {
    for (const wchar_t* vendor : {L"microsoft", L"classes", L"policies", L"wow6432node", L"clients",
                                  L"registeredapplications"})
        if (name == vendor) return true;
    return false;
}

}  // namespace

bool IsProtectedKey(HKEY root, std::wstring_view subKey) {
    std::vector<std::wstring> parts = KeyParts(subKey);
    if (parts.size() <= 1 || InSystemTree(root, parts)) return true;
    if (root == HKEY_USERS) {
        // Below HKEY_USERS every user's hive is a root of its own, holding
        // what HKEY_CURRENT_USER shows for that user.
        if (parts.size() <= 2) return true;
        parts.erase(parts.begin());
    } else if (root != HKEY_LOCAL_MACHINE && root != HKEY_CURRENT_USER) {
        return false;
    }
    if (parts[0] != L"software") return false;
    // Software\<vendor> or Software\Wow6432Node\<vendor>.
    const size_t vendor = parts[1] == L"wow6432node" && parts.size() >= 3 ? 2 : 1;
    if (parts.size() == vendor + 1 && IsPlatformVendor(parts[vendor])) return true;
    // Below the class store each key is a file type or class, as directly
    // below HKEY_CLASSES_ROOT.
    return parts.size() == vendor + 2 && parts[vendor] == L"classes";
}

bool IsProtectedValueKey(HKEY root, std::wstring_view subKey) {
    // A blank key name is the root itself, as the registry calls read it.
    if (TrimBlanks(subKey).find_first_not_of(L'\\') == std::wstring::npos) return true;
    const std::vector<std::wstring> parts = KeyParts(subKey);
    return parts.size() <= 1 || (root == HKEY_USERS && parts.size() <= 2) || InSystemTree(root, parts);
}

bool IsProtectedRegTarget(HKEY root, std::wstring_view subKey, bool value) {
    return value ? IsProtectedValueKey(root, subKey) : IsProtectedKey(root, subKey);
}

std::wstring RootKeyName(HKEY root) {
    static const struct {
        HKEY key;
        const wchar_t* name;
    } kRoots[] = {
        {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},   {HKEY_USERS, L"HKEY_USERS"},
        {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA"}, {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"},
        {HKEY_DYN_DATA, L"HKEY_DYN_DATA"},
    };
    for (const auto& r : kRoots)
        if (r.key == root) return r.name;
    wchar_t buf[24];
    swprintf(buf, 24, L"0x%08lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(root) & 0xFFFFFFFF));
    return buf;
}

std::wstring KeyText(HKEY root, std::wstring_view subKey) {
    std::wstring text = RootKeyName(root);
    if (!subKey.empty()) {
        text += L'\\';
        text += subKey;
    }
    return text;
}

}  // namespace nv::allerase
