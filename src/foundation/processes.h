// Which programs are running, and asking them to close: an item whose
// program is open is not cleaned (its files are in use and would be written
// again on exit).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nv::processes {

// The executable names ("chrome.exe") of the running processes.
std::vector<std::wstring> RunningNames();

// The first of the executable names ("chrome.exe", any letter case) that a
// running process has, looked up in `running` (RunningNames()); nothing
// when none runs.
std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames,
                                         const std::vector<std::wstring>& running);
std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames);

// Asks every process with one of these names to close the way a user would,
// as the system does at log-off: WM_CLOSE to each of its visible top-level
// windows. Waits until they have all ended or `waitMs` has passed, calling
// pump meanwhile (false from it ends the wait). Never ends a process by
// force; a process with no window to close is not waited for. The names of
// those that still run.
std::vector<std::wstring> AskToClose(const std::vector<std::wstring>& exeNames, unsigned waitMs,
                                     const std::function<bool()>& pump = {});

}  // namespace nv::processes
