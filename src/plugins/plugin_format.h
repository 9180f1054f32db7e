// The sections a plug-in may hold beyond the original five. Readers that
// know only those five skip them, so an older copy of the program never
// sees them; a plug-in that needs detection or exclusions therefore keeps
// all its actions here.
//
//   [detect]   REG|HKCU\key   FILE|path (wildcards allowed)   OS|min|max
//   [filekey]  path|pattern;pattern|FLAG   (no flag, RECURSE or REMOVESELF)
//   [regkey]   HKCU\key (the whole tree)   HKCU\key|value (one value)
//   [exclude]  FILE|folder\|names   PATH|folder\|patterns   REG|key[|value]
//   [warning]  text shown when the plug-in is ticked
//   [close]    process names; while one runs the plug-in is skipped
//   [source]   format, file, version, entry, licence of an imported plug-in
//
// Paths may use %VAR% (path_variables.h). "*" and "?" match within one path
// segment, in any letter case. Fields are separated by "|", so values may
// hold commas.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <string_view>
#include <vector>

#include "foundation/erase_primitives.h"
#include "foundation/path_variables.h"

namespace nv::inifile {
class IniFile;
}

namespace nv::plugins {

enum class Scope { Folder, Recurse, RemoveSelf };

// How far a [filekey] line's flag reaches.
allerase::Reach ReachOf(Scope scope);

struct FileKey {
    std::wstring path;                   // %VAR% and wildcards allowed in any segment
    std::vector<std::wstring> patterns;  // file names, wildcards allowed
    Scope scope = Scope::Folder;
};

struct RegKey {
    HKEY root = nullptr;
    std::wstring subKey;
    std::optional<std::wstring> value;  // one value of the key instead of the whole tree
};

struct Exclude {
    enum class Kind { File, Path, Reg } kind = Kind::File;
    std::wstring folder;                 // File: that folder only; Path: it and below
    std::vector<std::wstring> patterns;  // empty: every file
    RegKey key;                          // Reg: the key and below, or one value
};

struct Detect {
    enum class Kind { Reg, File, Os } kind = Kind::File;
    RegKey key;
    std::wstring path;
    std::wstring min, max;  // Os: "6.1", "10.0" ...; empty = open
};

struct Source {
    std::wstring format, file, version, entry, licence;
};

struct Extras {
    std::vector<Detect> detect;
    std::vector<FileKey> filekeys;
    std::vector<RegKey> regkeys;
    std::vector<Exclude> excludes;
    std::wstring warning;
    std::vector<std::wstring> close;
    Source source;
    // The first line of these sections that cannot be read, with the
    // reason. Such a plug-in runs nothing: a misread exclusion would leave
    // its targets unguarded.
    std::wstring error;

    bool HasDetect() const { return !detect.empty(); }
    // Made by an import of a Winapp2 file.
    bool Imported() const;
};

inline constexpr wchar_t kWinapp2Format[] = L"Winapp2";

Extras ReadExtras(const inifile::IniFile& ini);

// One value of each section, as ReadExtras reads it; nothing (and `why`)
// when it cannot be read. The import checks Winapp2 values with these.
std::optional<FileKey> ParseFileKey(std::wstring_view value, std::wstring& why);
std::optional<RegKey> ParseRegKey(std::wstring_view value, std::wstring& why);
std::optional<Exclude> ParseExclude(std::wstring_view value, std::wstring& why);
std::optional<Detect> ParseDetect(std::wstring_view value, std::wstring& why);

// A step of dots only ("..", "..."), which would leave the folder a path
// names.
bool ClimbsUp(std::wstring_view path);

// "HKEY_CURRENT_USER" for HKCU and the long names; nullptr for others.
HKEY ParseRoot(std::wstring_view name);

// Whether the plug-in applies on this machine: some REG or FILE line holds
// (or there is none) and every OS line holds. No [detect] = always. A
// cache keeps the answers per key and path across many plug-ins.
struct DetectCache {
    std::unordered_map<std::wstring, bool> answers;  // per key and path
    // Lower-cased names in the folders the variables name, and of the
    // subkeys of the keys below a root ("*HKEY_CURRENT_USER\\Software"):
    // most programs are not installed, and one listing answers for all.
    std::unordered_map<std::wstring, std::unordered_set<std::wstring>> listings;
};
bool Detected(const Extras& extras, const pathvars::Folders& folders, DetectCache* cache = nullptr);

// The running system's version compared with "min" and "max" ("6.1",
// "10.0.22000"; only the parts given are compared).
bool OsInRange(std::wstring_view min, std::wstring_view max);

}  // namespace nv::plugins
