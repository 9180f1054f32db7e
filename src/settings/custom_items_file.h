// The custom items file cusd.dat: files and folders the user picked in the
// Cleaning Settings dialog, one per line as path + TAB + kind ("File" or
// "Folder", letter case counts). A plain list file of the application
// folder (ANSI, or UTF-8 with a byte-order mark when a path needs it).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::cusd {

inline constexpr wchar_t kFile[] = L"File";
inline constexpr wchar_t kFolder[] = L"Folder";

std::wstring CustomFile();  // application folder + "\cusd.dat"

struct Entry {
    std::wstring path;  // field 0
    std::wstring kind;  // field 1, "" when the line has no TAB
};

// Every line split at TAB. Nothing when the file is missing or unreadable.
std::optional<std::vector<Entry>> Read();
// Rewrites the file with one line per entry, path + TAB + kind; false when
// it could not be replaced.
bool Write(const std::vector<Entry>& entries);

// The platform's directory look-up of a path, for files and then folders:
// hidden and system entries are not found, and a name with wildcards names
// nothing (a pattern would stand for other files).
bool FoundByLookup(const std::wstring& path);

// What the custom item list shows of an entry. Size and date stay empty
// when they cannot be read.
struct Details {
    std::optional<double> bytes;
    std::wstring modified;  // the platform's general date form
};
Details FileDetails(const std::wstring& path);
Details FolderDetails(const std::wstring& path);  // total size of everything below

// Megabytes with two decimals followed by "MB": padded to two integer digits
// ("03.25MB", "00.00MB") as the list is loaded, or without leading zeros and
// without trailing zeros of the decimals ("3.25MB", "3.2MB", ".5MB") as
// items are added.
std::wstring MegabytesCell(double bytes, bool padded);

}  // namespace nv::cusd
