// Import of a Winapp2.ini file the user has: each entry whose detection
// holds on this machine becomes a plug-in in the plug-in folder, off until
// ticked. The file is read once, in one pass.
//
// Importing again replaces the plug-ins earlier imports wrote and nobody
// changed since (their [source] checksum still matches their name and
// content) and keeps their ticks; every other plug-in (the user's, the
// pack's, an imported one edited or renamed) is never touched. An import
// holds the run lock: while a run or another import is in progress it is
// refused and writes nothing. A cleaning line (FileKey, RegKey) the path or
// key rule refuses, or that cannot be read, is dropped alone and named in
// the plug-in's [source] (dropped1=...); any other construct that cannot be
// honoured safely (an exclusion, a detection, an unknown variable or key)
// skips the whole entry, as does an entry left with nothing to clean. A file that is
// not a Winapp2 file (binary, truncated, no entries) is refused and
// nothing is written.
#pragma once

#include <string>
#include <vector>

#include "foundation/path_variables.h"

namespace nv::winapp2 {

struct Result {
    bool refused = false;
    bool busy = false;                  // refused: a run or another import was in progress
    std::wstring error;                 // why the file was refused
    int total = 0;                      // entries in the file
    int imported = 0;
    int notHere = 0;                    // detection does not hold here
    std::vector<std::wstring> skipped;  // "<entry>: <reason>"
    std::vector<std::wstring> dropped;  // "<entry> FileKey3: <reason>", of imported entries
    std::vector<std::wstring> unwritten;  // plug-in files that could not be written or removed
    std::vector<std::wstring> leftAlone;  // imported plug-ins changed or renamed since: not ours to replace
};

Result Import(const std::wstring& file, const std::wstring& pluginFolder, const pathvars::Folders& folders);

// "Imported N of M entries (D not on this machine, U skipped, L lines
// dropped: <where>)"; without the dropped part when no line was dropped,
// and without the colon part when nothing was skipped or dropped.
std::wstring Summary(const Result& r, const std::wstring& whereReasonsAre);

// The file name an entry's plug-in gets (without folder and extension):
// characters file names cannot hold become "_", no trailing dots or
// blanks, at most 80 characters, and a prefix that keeps it apart from
// device names and from the pack's and the user's plug-ins.
std::wstring PluginFileName(std::wstring_view entry);

}  // namespace nv::winapp2
