// Which programs are running: a plug-in whose application is open is not
// cleaned (its files are in use and would be written again on exit).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::processes {

// The first of the executable names ("chrome.exe", any letter case) that a
// running process of this session has; nothing when none runs.
std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames);

}  // namespace nv::processes
