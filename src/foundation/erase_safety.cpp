// Which folders and keys the erase primitives may touch: the one path rule
// every deleting action passes (see docs/ARCHITECTURE.md, "The path rule").
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/wildcard.h"

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

// A folder of the shell's list, read as it stands: asking the shell for the
// user's folders makes Wine write that list back, and a preview writes nothing.
std::wstring ShellFolderValue(HKEY root, const wchar_t* name) {
    wchar_t buf[MAX_PATH * 2];
    DWORD size = sizeof buf;
    if (RegGetValueW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return {};
    return buf;
}

std::wstring Parent(const std::wstring& canon) {
    size_t cut = canon.find_last_of(L'\\');
    return cut == std::wstring::npos || cut < 3 ? std::wstring() : canon.substr(0, cut);
}

// A profile's known folders, relative to the profile, as a fresh profile
// lays them out (the current user's are also asked of the system: they may
// have been moved).
constexpr const wchar_t* kProfileFolders[] = {
    L"AppData",
    L"AppData\\Roaming",
    L"AppData\\Local",
    L"AppData\\LocalLow",
    L"Documents",
    L"Desktop",
    L"Downloads",
    L"Pictures",
    L"Music",
    L"Videos",
    L"Favorites",
    L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
    L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
    L"AppData\\Roaming\\Microsoft\\Windows\\SendTo",
    L"AppData\\Roaming\\Microsoft\\Windows\\Templates",
};

struct ProtectedFolder {
    std::wstring path;  // lower-cased canonical long form
    bool profile;       // a user profile folder
};

// The folders nothing may remove, empty or match with a wildcard.
std::vector<ProtectedFolder> ReadProtectedFolders() {
    std::vector<std::pair<std::wstring, bool>> raw;
    auto add = [&](std::wstring path, bool profile = false) {
        if (!path.empty()) raw.emplace_back(std::move(path), profile);
    };
    wchar_t buf[MAX_PATH];
    if (UINT n = GetWindowsDirectoryW(buf, MAX_PATH); n > 0 && n < MAX_PATH) add(std::wstring(buf, n));
    if (UINT n = GetSystemWindowsDirectoryW(buf, MAX_PATH); n > 0 && n < MAX_PATH) {
        add(std::wstring(buf, n));
        add(std::wstring(buf, n) + L"\\System32");
        add(std::wstring(buf, n) + L"\\SysWOW64");
        add(std::wstring(buf, n) + L"\\WinSxS");
    }
    if (UINT n = GetSystemDirectoryW(buf, MAX_PATH); n > 0 && n < MAX_PATH) add(std::wstring(buf, n));
    if (UINT n = GetSystemWow64DirectoryW(buf, MAX_PATH); n > 0 && n < MAX_PATH) add(std::wstring(buf, n));
    for (const wchar_t* var : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData", L"ALLUSERSPROFILE",
                               L"PUBLIC", L"APPDATA", L"LOCALAPPDATA"})
        add(EnvVar(var));
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) add(ShellFolder(csidl));
    // The current user's folders where they really are (they may have been moved).
    for (const wchar_t* name : {L"AppData", L"Local AppData", L"Personal", L"Desktop", L"My Pictures", L"My Music",
                                L"My Video", L"Favorites", L"Start Menu", L"Startup", L"SendTo", L"Templates",
                                L"{374DE290-123F-4565-9164-39C4925E467B}"})
        add(ShellFolderValue(HKEY_CURRENT_USER, name));
    for (const wchar_t* name : {L"Common AppData", L"Common Start Menu", L"Common Startup", L"Common Desktop",
                                L"Common Documents"})
        add(ShellFolderValue(HKEY_LOCAL_MACHINE, name));
    // The program's own folder and its plug-ins.
    add(AppFolder());
    add(AppFile(L"plus-in"));

    // Every folder in the Users folder is a profile (Public, Default and the
    // users'), each with its known folders.
    std::vector<std::wstring> profiles = {EnvVar(L"USERPROFILE"), ShellFolder(CSIDL_PROFILE)};
    std::wstring users = Parent(NormalizePath(profiles[1].empty() ? profiles[0] : profiles[1]));
    if (!users.empty()) {
        add(users);
        WIN32_FIND_DATAW fd;
        ScopedFind find(FindFirstFileExW((L"\\\\?\\" + users + L"\\*").c_str(), FindExInfoBasic, &fd,
                                         FindExSearchNameMatch, nullptr, 0));
        if (find) do {
                if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !erasefs::IsDots(fd.cFileName))
                    profiles.push_back(users + L"\\" + fd.cFileName);
            } while (FindNextFileW(find.get(), &fd));
    }
    for (const std::wstring& profile : profiles) {
        if (profile.empty()) continue;
        add(profile, true);
        for (const wchar_t* rel : kProfileFolders) add(profile + L"\\" + rel);
    }

    std::vector<ProtectedFolder> out;
    for (const auto& [path, profile] : raw) {
        std::wstring n = ToLower(ResolvePath(path));
        if (!n.empty()) out.push_back({std::move(n), profile});
    }
    return out;
}

// Read again whenever the environment or the application folder changed
// (tests move them) and at most two seconds after the last reading; an
// import checks thousands of lines within that time.
const std::vector<ProtectedFolder>& ProtectedFolders() {
    struct Cache {
        std::wstring key;
        ULONGLONG at = 0;
        std::vector<ProtectedFolder> folders;
    };
    thread_local Cache cache;
    std::wstring key = AppFolder();
    for (const wchar_t* var : {L"USERPROFILE", L"APPDATA", L"LOCALAPPDATA", L"PUBLIC", L"ProgramData", L"ProgramFiles",
                               L"ProgramFiles(x86)", L"SystemRoot"})
        key += L"|" + EnvVar(var);
    const ULONGLONG now = GetTickCount64();
    if (cache.key != key || cache.at == 0 || now - cache.at > 2000) {
        cache.folders = ReadProtectedFolders();
        cache.key = std::move(key);
        cache.at = now;
    }
    return cache.folders;
}

// "C:\" or "\\server\share": the part of a canonical path no component may
// climb above.
size_t RootLength(std::wstring_view canon) {
    if (canon.size() >= 3 && canon[1] == L':') return 3;
    size_t server = canon.find(L'\\', 2);
    size_t share = server == std::wstring_view::npos ? server : canon.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? canon.size() : share;
}

// Characters no file or folder name may hold (wildcards are judged by
// whoever allows them).
bool Forbidden(wchar_t c) { return c < 0x20 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L':'; }

// Extensions of files the system or its programs run or load: never
// matched by a pattern in a protected folder.
constexpr const wchar_t* kProgramExtensions[] = {L"exe", L"dll", L"sys", L"drv", L"ocx", L"cpl", L"scr", L"mui",
                                                 L"efi", L"com", L"msi", L"msc", L"cat", L"manifest", L"ini", L"dat"};

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
        // "\\.\C:\..." names a file as "C:\..." does; other devices are no folders of ours.
        if (s.size() < 7 || !IsDriveLetter(s[4]) || s[5] != L':' || s[6] != L'\\') return {};
        s.erase(0, 4);
    }
    // A NUL or another character no name may hold: the path is malformed,
    // never cut at it.
    for (size_t i = 0; i < s.size(); ++i)
        if (Forbidden(s[i]) && !(i == 1 && s[i] == L':')) return {};

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

std::wstring MalformedPath(std::wstring_view path) {
    if (path.find(L'\0') != std::wstring_view::npos) return L"a NUL inside the path";
    std::wstring_view rest = path;
    if (rest.starts_with(L"\\\\?\\") || rest.starts_with(L"\\\\.\\")) rest.remove_prefix(4);
    for (size_t i = 0; i < rest.size(); ++i)
        if (Forbidden(rest[i]) && !(i == 1 && rest[i] == L':')) return L"a character no path may hold";
    return {};
}

std::wstring ShownPath(std::wstring_view path) {
    std::wstring out;
    for (wchar_t c : path) {
        if (c == L'\0') out += L"<NUL>";
        else if (c < 0x20) out += L'?';
        else out += c;
    }
    return out;
}

std::wstring ResolvePath(std::wstring_view path) {
    std::wstring canon = NormalizePath(path);
    // Short names always hold a "~"; without one there is nothing to resolve.
    if (canon.empty() || canon.find(L'~') == std::wstring::npos) return canon;
    // The longest part that exists is resolved, the rest kept as written.
    const size_t root = RootLength(canon);
    for (size_t end = canon.size(); end > root; end = canon.find_last_of(L'\\', end - 1)) {
        std::wstring head = canon.substr(0, end);
        if (head.find(L'~') == std::wstring::npos) break;
        if (wildcard::Has(head)) continue;
        // Wine resolves nothing in the "\\?\" form: that only when the path needs it.
        std::wstring prefixed = head.size() < MAX_PATH - 1 ? head
                                : head.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + head.substr(2)
                                                            : L"\\\\?\\" + head;
        std::wstring buf(32768, L'\0');
        DWORD n = GetLongPathNameW(prefixed.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0 || n >= buf.size()) continue;
        buf.resize(n);
        std::wstring resolved = NormalizePath(buf);
        return resolved.empty() ? canon : resolved + canon.substr(end);
    }
    return canon;
}

bool IsUnknownFolder(std::wstring_view path) { return NormalizePath(path).empty(); }

bool IsProtectedFolder(std::wstring_view path) { return detail::IsProtectedFolder(path, detail::ProfileWalk::Refused); }

bool detail::IsProtectedFolder(std::wstring_view path, ProfileWalk profile) {
    std::wstring canon = ToLower(ResolvePath(path));
    if (canon.empty()) return false;
    if (RootLength(canon) >= canon.size()) return true;
    if (profile == ProfileWalk::Favorites && canon == ToLower(ResolvePath(ShellFolderValue(HKEY_CURRENT_USER, L"Favorites"))))
        return false;
    const auto& folders = ProtectedFolders();
    // The one walk that may start at a profile seeks files of one name only.
    if (profile == ProfileWalk::Allowed)
        for (const auto& [p, isProfile] : folders)
            if (isProfile && p == canon) return false;
    for (const auto& [p, isProfile] : folders) {
        if (p == canon) return true;
        if (p.size() > canon.size() && p.starts_with(canon) && p[canon.size()] == L'\\') return true;
    }
    return false;
}

bool NamesParticularly(std::wstring_view pattern) {
    if (pattern.empty() || MalformedName(pattern).size()) return false;
    if (!wildcard::Has(pattern)) return true;
    size_t dot = pattern.find_last_of(L'.');
    if (dot == std::wstring_view::npos) return false;
    std::wstring_view ext = pattern.substr(dot + 1);
    if (ext.empty() || wildcard::Has(ext)) return false;
    for (const wchar_t* program : kProgramExtensions)
        if (ToLower(ext) == program) return false;
    return true;
}

std::wstring MalformedName(std::wstring_view name) {
    if (name.find(L'\0') != std::wstring_view::npos) return L"a NUL inside the name";
    for (wchar_t c : name)
        if (Forbidden(c) || c == L'\\' || c == L'/') return L"a character no file name may hold";
    return {};
}

bool WildcardMayStandBelow(std::wstring_view parent, std::wstring_view segment, bool fixedFollows) {
    const size_t fixedStart = std::min(segment.find_first_of(L"*?"), segment.size());
    return fixedFollows || fixedStart >= 3 || !IsProtectedFolder(parent);
}

std::optional<std::wstring> LineRefusal(std::wstring_view folder, const std::vector<std::wstring>& patterns,
                                        Reach reach) {
    if (std::wstring bad = MalformedPath(folder); !bad.empty()) return L"a malformed path (" + bad + L")";
    for (const std::wstring& p : patterns)
        if (std::wstring bad = MalformedName(p); !bad.empty()) return L"a malformed file pattern (" + bad + L")";
    const std::wstring canon = NormalizePath(folder);
    if (canon.empty()) return std::nullopt;  // an unknown folder: nothing to do, nothing to refuse
    // Up to the first wildcard the folders are known now; below it the run
    // judges each folder the wildcard matches (wildcard.h).
    const size_t root = RootLength(canon);
    std::vector<std::wstring> segments;
    for (auto& s : Split(std::wstring_view(canon).substr(root), L'\\'))
        if (!s.empty()) segments.push_back(std::move(s));
    std::wstring parent = canon.substr(0, root);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (wildcard::Has(segments[i])) {
            bool fixedFollows = false;
            for (size_t j = i + 1; j < segments.size(); ++j) fixedFollows = fixedFollows || !wildcard::Has(segments[j]);
            if (!WildcardMayStandBelow(parent, segments[i], fixedFollows))
                return L"a wildcard for the folders of a protected folder: " + parent;
            return std::nullopt;
        }
        if (parent.back() != L'\\') parent += L'\\';
        parent += segments[i];
    }
    const bool particular = reach == Reach::Folder && std::all_of(patterns.begin(), patterns.end(), [](const auto& p) {
                                return NamesParticularly(p);
                            });
    if (!particular && IsProtectedFolder(canon)) return L"a protected folder: " + canon;
    return std::nullopt;
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
