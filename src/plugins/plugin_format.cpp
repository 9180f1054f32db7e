#include "plugins/plugin_format.h"

#include <cwchar>
#include <cwctype>

#include "foundation/erase_primitives.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/wildcard.h"
#include "plugins/ini_reader.h"

namespace nv::plugins {
namespace {

using inifile::SameName;

std::wstring Trim(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
    return std::wstring(s);
}

std::vector<std::wstring> Fields(std::wstring_view value) {
    std::vector<std::wstring> out;
    for (const auto& f : Split(value, L'|')) out.push_back(Trim(f));
    return out;
}

// "a;b; ;c" -> a, b, c
std::vector<std::wstring> Names(std::wstring_view list) {
    std::vector<std::wstring> out;
    for (const auto& n : Split(list, L';'))
        if (std::wstring t = Trim(n); !t.empty()) out.push_back(std::move(t));
    return out;
}

bool Fail(std::wstring& why, std::wstring text) {
    why = std::move(text);
    return false;
}
std::nullopt_t Refuse(std::wstring& why, std::wstring text) {
    why = std::move(text);
    return std::nullopt;
}

// An absolute path, a drive path or one that starts with a folder variable,
// without ".." or "." steps that would leave the folder it names.
bool CheckPath(const std::wstring& path, std::wstring& why) {
    if (path.empty()) return Fail(why, L"no path");
    const bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?") && !path.starts_with(L"\\\\.");
    if (!drive && !unc && path[0] != L'%') return Fail(why, L"not an absolute path: " + path);
    if (ClimbsUp(path)) return Fail(why, L"a path with \"..\": " + path);
    return true;
}

bool CheckNames(const std::vector<std::wstring>& names, std::wstring& why) {
    for (const auto& n : names) {
        if (n.find_first_of(L"\\/") != std::wstring::npos) return Fail(why, L"a file pattern with a folder: " + n);
        if (n.find_first_not_of(L'.') == std::wstring::npos) return Fail(why, L"a file pattern of dots only: " + n);
    }
    return true;
}

bool IsVersionText(std::wstring_view v) {
    if (v.empty()) return true;
    for (const auto& part : Split(v, L'.'))
        if (part.empty() || part.size() > 9 || part.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
    return true;
}

// -1, 0, 1: the running system's version against `text`, comparing only the
// parts `text` gives.
int CompareWithOs(std::wstring_view text) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    static const OSVERSIONINFOW os = [] {
        OSVERSIONINFOW v{};
        v.dwOSVersionInfoSize = sizeof v;
        auto fn = reinterpret_cast<RtlGetVersionFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"));
        if (fn) fn(&v);
        return v;
    }();
    const DWORD mine[] = {os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber};
    size_t i = 0;
    for (const auto& part : Split(text, L'.')) {
        if (i == 3) break;
        DWORD want = static_cast<DWORD>(std::wcstoul(part.c_str(), nullptr, 10));
        if (mine[i] != want) return mine[i] < want ? -1 : 1;
        ++i;
    }
    return 0;
}

bool KeyExists(const RegKey& k) {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)}) {
        if (view && k.root != HKEY_LOCAL_MACHINE) break;
        ScopedKey key;
        if (RegOpenKeyExW(k.root, k.subKey.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) continue;
        if (!k.value || RegQueryValueExW(key.get(), k.value->c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            return true;
    }
    return false;
}

// Whether the first step below the variable's folder can exist: looked up
// in that folder's listing, made once per cache.
bool FirstStepListed(const pathvars::Expanded& e, DetectCache* cache) {
    if (!cache || e.fromVariables == 0) return true;
    std::wstring_view rest = std::wstring_view(e.path).substr(e.fromVariables);
    while (!rest.empty() && rest.front() == L'\\') rest.remove_prefix(1);
    std::wstring_view step = rest.substr(0, rest.find(L'\\'));
    if (step.empty() || wildcard::Has(step) || step == L"." || step == L"..") return true;
    const std::wstring folder = ToLower(std::wstring_view(e.path).substr(0, e.fromVariables));
    auto [it, fresh] = cache->listings.try_emplace(folder);
    if (fresh) {
        WIN32_FIND_DATAW fd;
        std::wstring pattern = allerase::NormalizePath(folder);
        if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';  // a drive root ends in one already
        ScopedFind find(FindFirstFileExW((L"\\\\?\\" + pattern + L"*").c_str(),
                                         FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find)
            do it->second.insert(ToLower(fd.cFileName));
            while (FindNextFileW(find.get(), &fd));
    }
    std::wstring name = ToLower(step);
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
    return it->second.count(name) > 0;
}

// Whether the key's second step can exist: looked up in a listing of the
// subkeys of its first step (under HKLM in both views), made once per
// cache. Most detection keys name a vendor below "Software" that is not there.
bool SecondStepListed(const RegKey& k, DetectCache* cache) {
    if (!cache) return true;
    const size_t first = k.subKey.find(L'\\');
    if (first == 0 || first == std::wstring::npos) return true;
    const size_t second = k.subKey.find(L'\\', first + 1);
    const std::wstring step = ToLower(std::wstring_view(k.subKey).substr(first + 1, second - first - 1));
    if (step.empty()) return true;
    const std::wstring parent = k.subKey.substr(0, first);
    auto [it, fresh] = cache->listings.try_emplace(L"*" + ToLower(allerase::KeyText(k.root, parent)));
    if (fresh)
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)}) {
            if (view && k.root != HKEY_LOCAL_MACHINE) break;
            ScopedKey key;
            if (RegOpenKeyExW(k.root, parent.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view, key.put()) != ERROR_SUCCESS)
                continue;
            wchar_t name[256];
            for (DWORD i = 0;; ++i) {
                DWORD len = 256;
                LONG rc = RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
                if (rc == ERROR_NO_MORE_ITEMS) break;
                if (rc == ERROR_SUCCESS) it->second.insert(ToLower(std::wstring_view(name, len)));
            }
        }
    return it->second.count(step) > 0;
}

bool PathExists(const std::wstring& path, const pathvars::Folders& folders, DetectCache* cache) {
    bool found = false;
    for (const auto& e : pathvars::Expand(path, folders).paths) {
        if (!FirstStepListed(e, cache)) continue;
        wildcard::ForEachMatch(std::wstring_view(e.path).substr(0, e.fromVariables),
                               std::wstring_view(e.path).substr(e.fromVariables), {}, [&](const std::wstring&, DWORD) {
                                   found = true;
                                   return false;
                               });
        if (found) return true;
    }
    return false;
}

// The value of a section line: after its first "=", or the whole line.
std::wstring LineValue(const inifile::Entry& e) { return e.value ? *e.value : e.name; }

}  // namespace

bool ClimbsUp(std::wstring_view path) {
    for (const auto& part : Split(path, L'\\'))
        for (const auto& piece : Split(part, L'/')) {
            std::wstring p = TrimBlanks(piece);
            if (p.size() >= 2 && p.find_first_not_of(L'.') == std::wstring::npos) return true;
        }
    return false;
}

allerase::Reach ReachOf(Scope scope) {
    return scope == Scope::Folder    ? allerase::Reach::Folder
           : scope == Scope::Recurse ? allerase::Reach::Tree
                                     : allerase::Reach::TreeAndFolders;
}

bool Extras::Imported() const { return SameName(source.format, kWinapp2Format); }

HKEY ParseRoot(std::wstring_view name) {
    static const struct {
        const wchar_t* shortName;
        const wchar_t* longName;
        HKEY key;
    } kRoots[] = {
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},   {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {L"HKU", L"HKEY_USERS", HKEY_USERS},
        {L"HKCC", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& r : kRoots)
        if (SameName(name, r.shortName) || SameName(name, r.longName)) return r.key;
    return nullptr;
}

std::optional<FileKey> ParseFileKey(std::wstring_view value, std::wstring& why) {
    auto f = Fields(value);
    if (f.size() > 3) return Refuse(why, L"too many fields");
    FileKey k;
    k.path = f[0];
    if (!CheckPath(k.path, why)) return std::nullopt;
    if (f.size() < 2 || (k.patterns = Names(f[1])).empty()) return Refuse(why, L"no file pattern");
    if (!CheckNames(k.patterns, why)) return std::nullopt;
    const std::wstring flag = f.size() == 3 ? f[2] : L"";
    if (flag.empty()) k.scope = Scope::Folder;
    else if (SameName(flag, L"RECURSE")) k.scope = Scope::Recurse;
    else if (SameName(flag, L"REMOVESELF")) k.scope = Scope::RemoveSelf;
    else return Refuse(why, L"unknown flag: " + flag);
    return k;
}

std::optional<RegKey> ParseRegKey(std::wstring_view value, std::wstring& why) {
    auto f = Fields(value);
    if (f.size() > 2) return Refuse(why, L"too many fields");
    size_t slash = f[0].find(L'\\');
    RegKey k;
    k.root = ParseRoot(std::wstring_view(f[0]).substr(0, slash));
    if (!k.root) return Refuse(why, L"unknown registry root: " + f[0]);
    k.subKey = slash == std::wstring::npos ? L"" : f[0].substr(slash + 1);
    while (!k.subKey.empty() && k.subKey.back() == L'\\') k.subKey.pop_back();
    if (k.subKey.empty()) return Refuse(why, L"no key below the root: " + f[0]);
    if (wildcard::Has(k.subKey)) return Refuse(why, L"wildcards in a registry key: " + f[0]);
    if (f.size() == 2) k.value = f[1];
    return k;
}

std::optional<Exclude> ParseExclude(std::wstring_view value, std::wstring& why) {
    auto f = Fields(value);
    Exclude x;
    if (SameName(f[0], L"REG")) {
        if (f.size() < 2) return Refuse(why, L"no key");
        auto key = ParseRegKey(value.substr(value.find(L'|') + 1), why);
        if (!key) return std::nullopt;
        x.kind = Exclude::Kind::Reg;
        x.key = *key;
        return x;
    }
    if (SameName(f[0], L"FILE")) x.kind = Exclude::Kind::File;
    else if (SameName(f[0], L"PATH")) x.kind = Exclude::Kind::Path;
    else return Refuse(why, L"unknown exclusion: " + f[0]);
    if (f.size() < 2 || f.size() > 3) return Refuse(why, L"wrong number of fields");
    x.folder = f[1];
    if (!CheckPath(x.folder, why)) return std::nullopt;
    if (f.size() == 3) x.patterns = Names(f[2]);
    if (!CheckNames(x.patterns, why)) return std::nullopt;
    if (x.kind == Exclude::Kind::File && x.patterns.empty()) return Refuse(why, L"no file name");
    return x;
}

std::optional<Detect> ParseDetect(std::wstring_view value, std::wstring& why) {
    auto f = Fields(value);
    Detect d;
    if (SameName(f[0], L"REG")) {
        if (f.size() != 2) return Refuse(why, L"wrong number of fields");
        auto key = ParseRegKey(f[1], why);
        if (!key) return std::nullopt;
        d.kind = Detect::Kind::Reg;
        d.key = *key;
    } else if (SameName(f[0], L"FILE")) {
        if (f.size() != 2) return Refuse(why, L"wrong number of fields");
        d.kind = Detect::Kind::File;
        d.path = f[1];
        if (!CheckPath(d.path, why)) return std::nullopt;
    } else if (SameName(f[0], L"OS")) {
        if (f.size() < 2 || f.size() > 3) return Refuse(why, L"wrong number of fields");
        d.kind = Detect::Kind::Os;
        d.min = f[1];
        d.max = f.size() == 3 ? f[2] : L"";
        if (!IsVersionText(d.min) || !IsVersionText(d.max)) return Refuse(why, L"not a version: " + std::wstring(value));
    } else {
        return Refuse(why, L"unknown detection: " + f[0]);
    }
    return d;
}

Extras ReadExtras(const inifile::IniFile& ini) {
    Extras x;
    auto each = [&](const wchar_t* section, auto&& parse) {
        const inifile::Section* s = ini.Find(section);
        if (!s) return;
        for (const inifile::Entry& e : s->entries) {
            if (e.name.empty() || e.name.front() == L';') continue;
            std::wstring why;
            if (!parse(LineValue(e), why) && x.error.empty())
                x.error = L"[" + std::wstring(section) + L"] " + e.name + L": " + why;
        }
    };
    auto into = [](auto& list, auto parsed) {
        if (!parsed) return false;
        list.push_back(std::move(*parsed));
        return true;
    };
    each(L"detect", [&](const std::wstring& v, std::wstring& why) { return into(x.detect, ParseDetect(v, why)); });
    each(L"filekey", [&](const std::wstring& v, std::wstring& why) { return into(x.filekeys, ParseFileKey(v, why)); });
    each(L"regkey", [&](const std::wstring& v, std::wstring& why) { return into(x.regkeys, ParseRegKey(v, why)); });
    each(L"exclude", [&](const std::wstring& v, std::wstring& why) { return into(x.excludes, ParseExclude(v, why)); });
    each(L"warning", [&](const std::wstring& v, std::wstring&) {
        if (!x.warning.empty()) x.warning += L"\r\n";
        x.warning += v;
        return true;
    });
    each(L"close", [&](const std::wstring& v, std::wstring& why) {
        std::wstring name = Trim(v);
        if (name.empty() || name.find_first_of(L"\\/|") != std::wstring::npos)
            return Fail(why, L"not a program name: " + name);
        x.close.push_back(name);
        return true;
    });
    x.source = {ini.Value(L"source", L"format"), ini.Value(L"source", L"file"), ini.Value(L"source", L"version"),
                ini.Value(L"source", L"entry"), ini.Value(L"source", L"licence")};
    return x;
}

bool OsInRange(std::wstring_view min, std::wstring_view max) {
    return (min.empty() || CompareWithOs(min) >= 0) && (max.empty() || CompareWithOs(max) <= 0);
}

bool Detected(const Extras& extras, const pathvars::Folders& folders, DetectCache* cache) {
    auto remembered = [&](const std::wstring& key, auto&& probe) {
        if (!cache) return probe();
        auto [it, fresh] = cache->answers.try_emplace(key, false);
        if (fresh) it->second = probe();
        return it->second;
    };
    bool any = false, holds = false;
    for (const Detect& d : extras.detect) {
        switch (d.kind) {
        case Detect::Kind::Os:
            if (!OsInRange(d.min, d.max)) return false;
            break;
        case Detect::Kind::Reg:
            any = true;
            holds = holds || remembered(L"R" + allerase::KeyText(d.key.root, d.key.subKey),
                                        [&] { return SecondStepListed(d.key, cache) && KeyExists(d.key); });
            break;
        case Detect::Kind::File:
            any = true;
            holds = holds || remembered(L"F" + ToLower(d.path), [&] { return PathExists(d.path, folders, cache); });
            break;
        }
    }
    return !any || holds;
}

}  // namespace nv::plugins
