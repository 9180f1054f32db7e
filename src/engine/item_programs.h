// Which program owns the data of a built-in item: the application whose
// running copy holds that data open (and writes it again on exit). Used to
// skip or close a running program before a run and to clean a browser's
// items once it has closed.
#pragma once

#include <span>
#include <string_view>

namespace nv::engine {

struct ItemProgram {
    const wchar_t* name;                        // "Firefox", "Microsoft Word"
    std::span<const wchar_t* const> exeNames;   // "firefox.exe", any letter case
};

// The program of the item `key` of the group whose profile section is
// `section` ("FIREFOX", "Cookies"); nullptr for items no program holds
// (Windows traces, Office settings).
const ItemProgram* ProgramOf(std::wstring_view section, std::wstring_view key);

// The browsers of the built-in groups, in catalogue order: all items of each
// such group belong to it.
struct BrowserGroup {
    const wchar_t* section;  // the group's profile section
    ItemProgram program;
};
std::span<const BrowserGroup> BrowserGroups();

}  // namespace nv::engine
