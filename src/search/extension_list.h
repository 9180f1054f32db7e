// The extension list Ext.txt in the application folder: the name patterns
// Search and Erase offers ("*.tmp"), one a line, in display order. Also the
// routine that moves a file to the Recycle Bin.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace nv::search {
class RecycleProbe;
}

namespace nv::ExtentionHandller {

inline constexpr wchar_t kFileName[] = L"Ext.txt";
// The search string of the default list.
inline constexpr wchar_t kDefaultFilter[] = L"*.tmp;*.gid;*.swp;*.chk";

// Application folder + "\Ext.txt", built anew each time.
std::wstring ExtFile();

// "*." followed by at least one character ("*.tmp", and also "*.*").
bool IsValidExtension(const std::wstring& text);

// The valid lines of Ext.txt in file order (nothing when it cannot be read).
std::vector<std::wstring> ReadExtensions();

// The valid lines joined with ";". Nothing when the file is missing or holds
// no valid line: callers then keep the search string they had.
std::optional<std::wstring> GetExtensionFilter();

// Replaces the file with the four default lines.
bool WriteDefaultExtensions();

// Appends one line, creating the file when it is missing.
bool AppendExtension(const std::wstring& pattern);

// Drops every line exactly equal to `line` (case counts). The file is
// replaced in one step, so a failure midway leaves it as it was; a file
// that cannot be read is left alone.
bool RemoveExtension(const std::wstring& line);

enum class Recycled {
    Yes,            // in the Recycle Bin now
    CannotRecycle,  // the bin cannot take it; nothing was touched
    Failed,         // in use, gone or refused by the system; nothing was deleted
    Refused,        // a link: never moved, its target stays where it is
};

// Moves one file to the Recycle Bin with no progress window and no question.
// Never deletes for good: a file the bin cannot take (no bin on its drive, a
// name or length the shell cannot handle) is reported, not deleted, and if
// the system finds out only while moving it, the system asks the user.
// `probe` remembers per drive whether it has a bin (a fresh one when null).
Recycled SendToRecycleBin(const std::wstring& path, HWND owner = nullptr, search::RecycleProbe* probe = nullptr);

}  // namespace nv::ExtentionHandller
