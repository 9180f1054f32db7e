// The details of a run's result row: every target with its kind, path or
// key, size and what became of it, sortable, with a total. One window,
// owned by the main window; the list is virtual, so a run of hundreds of
// thousands of files shows at once.
#pragma once

#include <windows.h>

#include <memory>

#include "engine/run_details.h"

namespace nv::frmDetails {

// Shows the targets of `row` (the run's last row: all of them) and
// returns the window; a second call replaces what the window shows.
HWND Show(HWND owner, std::shared_ptr<const engine::RunDetails> details, size_t row);
void Close();
HWND Window();  // null when closed
HWND Control(int id);

}  // namespace nv::frmDetails
