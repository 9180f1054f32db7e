#include "foundation/path_variables.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cwctype>

#include "foundation/system.h"

namespace nv::pathvars {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring Env(const std::wstring& name) {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name.c_str(), buf, MAX_PATH * 2);
    return n == 0 || n >= MAX_PATH * 2 ? std::wstring() : std::wstring(buf, n);
}

std::wstring Known(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) out = path;
    CoTaskMemFree(path);
    return out;
}

struct KnownName {
    const wchar_t* name;
    const KNOWNFOLDERID* id;
};
const KnownName kKnown[] = {
    {L"Documents", &FOLDERID_Documents},   {L"LocalLowAppData", &FOLDERID_LocalAppDataLow},
    {L"CommonAppData", &FOLDERID_ProgramData}, {L"Music", &FOLDERID_Music},
    {L"Pictures", &FOLDERID_Pictures},     {L"Video", &FOLDERID_Videos},
};

// Both folders of a name that means the 64-bit and the x86 one.
const struct {
    const wchar_t* name;
    const wchar_t* native;
    const wchar_t* x86;
} kBoth[] = {
    {L"ProgramFiles", L"ProgramW6432", L"ProgramFiles(x86)"},
    {L"CommonProgramFiles", L"CommonProgramW6432", L"CommonProgramFiles(x86)"},
};

// Every value the name stands for; none when it is unknown or empty.
std::vector<std::wstring> Values(std::wstring_view name, const Folders& folders) {
    auto one = [](std::wstring v) { return v.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{v}; };
    if (SameName(name, L"AppData")) return one(folders.appData ? *folders.appData : ShellFolder(L"AppData"));
    if (SameName(name, L"LocalAppData"))
        return one(folders.localAppData ? *folders.localAppData : ShellFolder(L"Local AppData"));
    for (const auto& k : kKnown)
        if (SameName(name, k.name)) return one(Known(*k.id));
    for (const auto& b : kBoth) {
        if (!SameName(name, b.name)) continue;
        std::vector<std::wstring> out;
        for (const std::wstring& v : {Env(b.native), Env(b.x86), Env(b.name)})
            if (!v.empty() && (out.empty() || !SameName(out[0], v)) && out.size() < 2) out.push_back(v);
        return out;
    }
    return one(Env(std::wstring(name)));
}

}  // namespace

Folders Remembering(Folders folders) {
    if (!folders.appData) folders.appData = ShellFolder(L"AppData");
    if (!folders.localAppData) folders.localAppData = ShellFolder(L"Local AppData");
    folders.remembered = std::make_shared<std::unordered_map<std::wstring, std::vector<std::wstring>>>();
    return folders;
}

Expansion Expand(std::wstring_view path, const Folders& folders) {
    Expansion out;
    out.paths.push_back({});
    size_t at = 0;
    while (at < path.size()) {
        size_t open = path.find(L'%', at);
        size_t close = open == std::wstring_view::npos ? open : path.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            for (auto& e : out.paths) e.path += path.substr(at);
            break;
        }
        std::wstring_view name = path.substr(open + 1, close - open - 1);
        std::vector<std::wstring> values;
        if (name.empty()) {
        } else if (folders.remembered) {
            std::wstring key(name);
            CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
            auto [it, fresh] = folders.remembered->try_emplace(std::move(key));
            if (fresh) it->second = Values(name, folders);
            values = it->second;
        } else {
            values = Values(name, folders);
        }
        if (values.empty()) {
            out.unknown = name;
            out.paths.clear();
            return out;
        }
        // A drive ("C:", as %SystemDrive% gives it) is its root folder: "C:"
        // alone would be the drive's current folder.
        bool drive = true;
        for (const auto& v : values) drive = drive && v.size() == 2 && v[1] == L':' && iswalpha(v[0]);
        if (drive)
            for (auto& v : values) v += L'\\';
        size_t after = close + 1;
        if (drive && after < path.size() && (path[after] == L'\\' || path[after] == L'/')) ++after;
        std::vector<Expanded> next;
        for (const auto& e : out.paths)
            for (const auto& v : values) {
                Expanded x{e.path + std::wstring(path.substr(at, open - at)) + v, 0};
                x.fromVariables = x.path.size();
                next.push_back(std::move(x));
            }
        out.paths = std::move(next);
        at = after;
    }
    return out;
}

}  // namespace nv::pathvars
