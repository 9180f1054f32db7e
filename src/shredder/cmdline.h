// NorvaleShredder.exe's command line: paths to put on the list, or
// "/shred PATH..." to shred them without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::shredder {

constexpr int kAllShredded = 0;
constexpr int kBadSwitch = 1;
constexpr int kSomeLeft = 2;

// The arguments after the program's name.
std::vector<std::wstring> Arguments(const wchar_t* commandLine);

// With a switch first, performs it (one line per item on standard output,
// "path<TAB>result") and returns the exit code; nothing when the arguments
// are paths for the window.
std::optional<int> RunSwitch(const std::vector<std::wstring>& args);

}  // namespace nv::shredder
