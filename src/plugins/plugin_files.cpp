#include "plugins/plugin_files.h"

#include <windows.h>

#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/ini_access.h"
#include "plugins/exclusions.h"
#include "plugins/ini_reader.h"
#include "foundation/selection_profile.h"

namespace nv::plugins {
namespace {

constexpr Section kSections[] = {Section::regtree, Section::reg, Section::file, Section::fileext, Section::folder};

// The text after the last ".", "" when there is none.
std::wstring_view Extension(std::wstring_view name) {
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1);
}

std::wstring BaseName(const std::wstring& name) {
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// A value as ReadIniValue gives it: at most 127 characters, blanks trimmed.
std::wstring ShortValue(const inifile::IniFile& ini, const wchar_t* section, const wchar_t* key) {
    std::wstring v = ini.Value(section, key).substr(0, 127);
    if (size_t nul = v.find(L'\0'); nul != std::wstring::npos) v.resize(nul);
    return TrimBlanks(v);
}

Plugin Read(const std::wstring& file, const std::wstring& fileName) {
    Plugin p;
    p.file = file;
    const inifile::IniFile ini = inifile::IniFile::Load(file).value_or(inifile::IniFile{});
    p.name = ShortValue(ini, L"name", L"appname");
    // A plug-in that does not name itself is still shown, under its file's name.
    if (p.name.empty()) p.name = BaseName(fileName);
    p.version = ShortValue(ini, L"version", L"appver");
    p.description = p.name + L" " + p.version + L" " + ShortValue(ini, L"dec", L"decs");
    p.enabled = profile::IsTextFlagOn(ShortValue(ini, L"swich", L"on"));
    p.extras = ReadExtras(ini);
    // The profile functions end a line at a NUL and read the rest as a line
    // of its own: such a file is not acted on at all.
    if (ini.nulLine && p.extras.error.empty())
        p.extras.error = L"line " + std::to_wstring(ini.nulLine) + L" holds a NUL character";
    return p;
}

// The value of one section line: the text after its first "=" (the whole
// line without one), no longer than the line is without its outer blanks.
std::wstring LineValue(const std::wstring& line) {
    size_t eq = line.find(L'=');
    std::wstring value = eq == std::wstring::npos ? line : line.substr(eq + 1);
    return value.substr(0, TrimBlanks(line).size());
}

}  // namespace

std::wstring PluginFolder() { return AppFile(L"plus-in"); }

const wchar_t* SectionName(Section s) {
    switch (s) {
    case Section::regtree: return L"regtree";
    case Section::reg: return L"reg";
    case Section::file: return L"file";
    case Section::fileext: return L"fileext";
    case Section::folder: return L"folder";
    }
    return L"";
}

std::vector<Command> Plugin::Commands(std::wstring* why) const {
    std::vector<Command> out;
    for (Section s : kSections) {
        bool cut = false;
        Inifun::SectionLines lines = Inifun::ReadIniSection(SectionName(s), file, &cut);
        if (cut) {
            if (why) *why = L"section [" + std::wstring(SectionName(s)) + L"] is too long to read whole";
            return {};
        }
        if (IsArraryEmpty(lines)) continue;
        for (const auto& line : *lines) out.push_back({s, Split(LineValue(line), L',')});
    }
    return out;
}

std::wstring Plugin::Fault(const pathvars::Folders& folders) const {
    if (!extras.error.empty()) return extras.error;
    if (auto folder = UnresolvedExclusion(extras.excludes, folders)) return L"[exclude] names an unknown folder: " + *folder;
    return {};
}

std::vector<Plugin> ReadList(const std::wstring& folder, const std::wstring& extension) {
    std::vector<Plugin> list;
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find) return list;
    do {
        // Folders are no plug-ins, and a link could aim the flag's write at
        // a file outside the plug-in folder.
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        std::wstring_view ext = Extension(fd.cFileName);
        if (CompareStringOrdinal(ext.data(), static_cast<int>(ext.size()), extension.c_str(),
                                 static_cast<int>(extension.size()), TRUE) != CSTR_EQUAL)
            continue;
        list.push_back(Read(folder + L"\\" + fd.cFileName, fd.cFileName));
    } while (FindNextFileW(find.get(), &fd));
    return list;
}

std::vector<Plugin> Installed() { return ReadList(PluginFolder(), kExtension); }

bool IsLink(const Plugin& plugin) { return erasefs::IsLinkPath(allerase::NormalizePath(plugin.file)); }

bool WriteEnabled(const Plugin& plugin, bool on) {
    // Under Wine a Unix link looks like a plain file, and the profile
    // functions would write the flag into its target.
    if (IsLink(plugin)) return false;
    return Inifun::WriteIniValue(plugin.file, L"swich", L"on", profile::CheckValue(on));
}

}  // namespace nv::plugins
