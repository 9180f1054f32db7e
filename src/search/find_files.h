// The search of Search and Erase: name patterns from a ";"-separated search
// string, a breadth-first walk from a root folder, one result line per file
// found, and the summary the window shows afterwards. No window code here:
// the window listens through a FindSink.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nv::search {

// One piece of the search string, prepared: a leading and a trailing star
// become flags and leave the text; a star elsewhere is an ordinary
// character. A piece without either flag is an exact file name.
struct Pattern {
    std::wstring prepared;  // as the summary shows it ("*.tmp" -> ".tmp")
    std::wstring upper;     // prepared in capitals, for comparisons
    bool leading = false;
    bool trailing = false;
    bool found = false;  // exact names: already listed once
    uint64_t count = 0;
    bool star() const { return leading || trailing; }
};

// Splits at every ";" and prepares each piece in order. Empty pieces are
// skipped; a piece of stars only keeps no text and both flags, so it
// matches every file.
std::vector<Pattern> PreparePatterns(std::wstring_view searchString);

// Each pattern's count, then the number of files found and the total in kb.
std::wstring SummaryText(const std::vector<Pattern>& patterns, size_t filesFound, uint64_t totalBytes);

// The path unchanged when it ends in "\", otherwise path + "\".
std::wstring WithTrailingBackslash(const std::wstring& path);

class FindSink {
public:
    virtual ~FindSink() = default;
    // A file found: its line and how many characters of it are the path.
    virtual void Found(std::wstring line, size_t pathLength) = 0;
    // Called about every 15 ms with the folder being searched; processes
    // the window's messages. True asks the search to stop.
    virtual bool Pump(const std::wstring& folder) = 0;
};

struct FindResult {
    bool ran = false;  // false: no pattern to search for, nothing was walked
    bool stopped = false;
    std::vector<Pattern> patterns;
    uint64_t totalBytes = 0;
};

// Walks the tree from `root` breadth-first (only `root` itself without
// subfolders), never through a folder link, and reports every match: a
// file the first fitting star pattern matches (names compared in capitals,
// the pattern shorter than the name) as "path   Size:123   LastModyfied:"
// + short date + time in local time, unless its path holds "Recycled"
// (this case), "win386.swp" or "$Recycle.Bin" (any case), the old swap
// file and the Recycle Bin's own folders; an exact name, in the first
// folder that holds it, as folder + name.
FindResult FindFiles(const std::wstring& root, const std::wstring& searchString, bool includeSubfolders,
                     FindSink& sink);

}  // namespace nv::search
