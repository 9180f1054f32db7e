// Items whose program is running: every run skips them (their files are in
// use, and the program writes them again when it exits); a clean from the
// window or `/clean /close-running` first asks those programs to close.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/catalogue.h"

namespace nv::engine {

// The rule of every run not given a filter of its own: an item whose
// program runs (a built-in item's ProgramOf, a plug-in's [close] names) is
// skipped, its row "Skipped: <program> is running", in a preview "Will skip:
// <program> is running". <program> is the program's name for a built-in
// item, the running executable name for a plug-in.
ItemFilter SkipRunningPrograms(bool preview);

struct RunningProgram {
    std::wstring name;                   // as the rows name it
    std::vector<std::wstring> exeNames;  // its running executables
};

// The running programs that hold data of the items a clean would run now:
// the selected built-in items and the enabled plug-ins that apply here, each
// program once, in run order. Nothing is removed.
std::vector<RunningProgram> RunningProgramsOfSelection(const Environment& env);

// Asks them to close as a user would and waits up to 10 s for them (pump
// called meanwhile; false from it ends the wait); never ends one by force.
// The names of those that stay.
inline constexpr unsigned kCloseWaitMs = 10000;
std::vector<std::wstring> CloseRunningPrograms(const std::vector<RunningProgram>& programs,
                                               const std::function<bool()>& pump = {});

}  // namespace nv::engine
