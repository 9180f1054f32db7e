// Cleaning an application once it has closed: the watcher waits on the
// processes of the ticked applications (a process handle is signalled when
// the process ends) and looks for new ones in the process list every 2 s
// while one of them has none running.
// When the last process of an application has ended and none has started
// within 5 s (browsers restart themselves on update), it asks for one run
// of that application's items; while another run holds the run lock it
// asks again at each look until the run can start, so one closing is one
// run. Nothing is watched (no timer, no handle) while nothing is ticked.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/closing_apps.h"

namespace nv::engine {
class RunDetails;
}

namespace nv::closingwatch {

inline constexpr UINT kLookIntervalMs = 2000;
inline constexpr UINT kQuietMs = 5000;

// Runs the items of an application that closed. False when no run could
// start now (another run holds the lock): the watcher asks again later.
using Runner = std::function<bool(const engine::ClosingApp&)>;

// Starts watching the ticked applications (again: after Options OK).
void Start(Runner runner);
void Refresh();
void Stop();
// The applications being watched, by name (tests).
std::vector<std::wstring> Watched();

// "Firefox closed: cleaned 3 items, 41.2 MB"
std::wstring ClosedText(const std::wstring& app, size_t items, double bytes);

// The details of a run the watcher started, kept for its popup's key; a
// click on the popup shows them. False for keys of other popups.
std::wstring RememberRun(std::shared_ptr<const engine::RunDetails> details);
bool HandleClick(const std::wstring& key);

}  // namespace nv::closingwatch
