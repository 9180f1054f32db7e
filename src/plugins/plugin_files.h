// Plug-in files: INI files with the extension ".ppe" in the folder plus-in
// of the application folder, each describing one application to clean. The
// Cleaning Settings dialog lists them with their enable flags; the run
// executes the enabled ones.
//
// A plug-in is its file: the flag is written into, and the run executes,
// the file the plug-in was read from, whatever name it gives itself.
//
// Encoding: ANSI, read and written by the platform's profile functions. A
// plug-in whose paths the ANSI code page cannot hold is stored as UTF-16
// with a byte-order mark, which those functions read and write natively on
// every Windows version (writing the flag keeps the file's encoding), so no
// path is ever turned into '?' and aimed at another file.
#pragma once

#include <string>
#include <vector>

#include "plugins/plugin_format.h"

namespace nv::plugins {

inline constexpr wchar_t kExtension[] = L"ppe";

// application folder + "\plus-in", built anew at every call.
std::wstring PluginFolder();

// The five cleaning sections, in the order the run executes them.
enum class Section { regtree, reg, file, fileext, folder };
const wchar_t* SectionName(Section s);

// One line of a cleaning section: its value (the text after the first "=")
// split at every ",", the fields untrimmed.
struct Command {
    Section section;
    std::vector<std::wstring> fields;
};

struct Plugin {
    std::wstring file;         // the full path it was read from
    std::wstring name;         // appname of section name; the file's base name when it has none
    std::wstring version;      // appver of section version
    std::wstring description;  // name + " " + version + " " + decs of section dec
    bool enabled = false;      // on of section swich, by the text test
    Extras extras;             // detection, new actions, exclusions, warning, ... (plugin_format.h)

    // Why it runs nothing at all: a line of its newer sections cannot be
    // read, or an exclusion names a folder unknown here; "" when it may run.
    std::wstring Fault(const pathvars::Folders& folders) const;

    // Its cleaning lines, read from the file now: every regtree line first,
    // then reg, file, fileext and folder, each section in file order. None
    // when a section is too long to read whole (`why` then says which).
    std::vector<Command> Commands(std::wstring* why = nullptr) const;
};

// The plug-ins directly in the folder (no subfolders) whose extension is
// `extension` in any letter case, in the order the file system lists them.
// A missing folder gives none. Each file is read once, with the profile
// functions' reading rules (ini_reader.h).
std::vector<Plugin> ReadList(const std::wstring& folder, const std::wstring& extension);
// ReadList(PluginFolder(), kExtension).
std::vector<Plugin> Installed();

// Whether the plug-in's file is a link (under Wine also a Unix symbolic link,
// which looks like a plain file there).
bool IsLink(const Plugin& plugin);

// Writes the enable flag ("1" / "0") into the plug-in's own file, creating
// section swich when it is missing. False when the file could not be written
// or is a link: a link's target is never written.
bool WriteEnabled(const Plugin& plugin, bool on);

}  // namespace nv::plugins
