// The applications whose closing can start a clean: each built-in browser,
// and the plug-ins that name processes in [close], grouped by application
// (a plug-in closing a browser's process joins that browser). The watcher
// waits on their processes; the run it starts cleans only their items.
#pragma once

#include <string>
#include <vector>

#include "engine/catalogue.h"

namespace nv::engine {

struct ClosingApp {
    std::wstring name;                   // "Firefox", "Discord": the box, the popup and the stored key
    std::vector<std::wstring> exeNames;  // its processes, any letter case
    bool installed = false;              // listed in Options only then
};

// Every application, built-in browsers first in catalogue order, then the
// plug-ins' applications in list order.
std::vector<ClosingApp> ClosingApps();

// The stored key of an application: its name with the characters a profile
// key cannot hold ('=', '[', ']', a leading ';') made '_'.
std::wstring ClosingKey(const std::wstring& name);
bool ClosingTicked(const ClosingApp& app);

// The run's filter after `app` closed: its built-in items and plug-ins
// run, everything else (other programs' items, items no program holds,
// custom items) is left out without a row.
ItemVerdict OnlyOf(const ClosingApp& app, const ItemAsk& ask);

// Whether the current selection holds an item of `app`: a ticked built-in
// item of its program, or an enabled plug-in closing its processes. No
// run starts without one.
bool AnySelected(const ClosingApp& app);

}  // namespace nv::engine
