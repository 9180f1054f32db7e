#include "engine/running_programs.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "engine/cleaning_run.h"
#include "foundation/processes.h"
#include "foundation/text.h"

namespace nv::engine {
namespace {

// The process list, taken again when it is older than a second: a run asks
// for dozens of items within moments, and a program closed or started
// during a long run is still seen.
class RunningNow {
public:
    const std::vector<std::wstring>& Names() {
        const ULONGLONG now = GetTickCount64();
        if (!taken_ || now - takenAt_ > 1000) {
            names_ = processes::RunningNames();
            takenAt_ = now;
            taken_ = true;
        }
        return names_;
    }

private:
    std::vector<std::wstring> names_;
    ULONGLONG takenAt_ = 0;
    bool taken_ = false;
};

// The running program of an item, as its row names it, with every running
// executable of it; nothing when none runs (the process list is not taken
// for items that name no program).
std::optional<RunningProgram> RunningOwner(const ItemAsk& a, RunningNow& now) {
    RunningProgram found;
    if (a.program) {
        if (a.program->exeNames.empty()) return std::nullopt;
        const auto& running = now.Names();
        for (const wchar_t* exe : a.program->exeNames)
            if (processes::FirstRunning({exe}, running)) found.exeNames.push_back(exe);
        found.name = a.program->name;
    } else if (a.closeNames && !a.closeNames->empty()) {
        const auto& running = now.Names();
        for (const std::wstring& exe : *a.closeNames)
            if (processes::FirstRunning({exe}, running)) found.exeNames.push_back(exe);
        if (!found.exeNames.empty()) found.name = found.exeNames.front();
    }
    if (found.exeNames.empty()) return std::nullopt;
    return found;
}

class QuietView : public WindowlessRunView {
public:
    void BeginRun() override {}
    void showstatus(const std::wstring&) override {}
    void AppendRow(const std::wstring&) override {}
    void SetRowStatus(const std::wstring&) override {}
};

}  // namespace

ItemFilter SkipRunningPrograms(bool preview) {
    auto now = std::make_shared<RunningNow>();
    const std::wstring prefix = preview ? L"Will skip: " : L"Skipped: ";
    return [now, prefix](const ItemAsk& a) {
        if (auto owner = RunningOwner(a, *now)) return ItemVerdict{ItemVerdict::Skip, prefix + owner->name + L" is running"};
        return ItemVerdict{};
    };
}

std::vector<RunningProgram> RunningProgramsOfSelection(const Environment& env) {
    // A preview in which every item is left out asks exactly about the items
    // the clean would run, and runs none of them.
    std::vector<RunningProgram> found;
    RunningNow now;
    RunOptions options;
    options.preview = true;
    options.filter = [&](const ItemAsk& a) {
        if (auto owner = RunningOwner(a, now)) {
            auto known = [&](const RunningProgram& p) {
                return SameText(p.name, owner->name) ||
                       std::any_of(p.exeNames.begin(), p.exeNames.end(),
                                   [&](const std::wstring& exe) { return SameText(exe, owner->exeNames.front()); });
            };
            if (std::none_of(found.begin(), found.end(), known)) found.push_back(std::move(*owner));
        }
        return ItemVerdict{ItemVerdict::Leave};
    };
    QuietView view;
    Counters counters;
    int unattended = 0;
    CleanNow(view, env, counters, unattended, options);
    return found;
}

std::vector<std::wstring> CloseRunningPrograms(const std::vector<RunningProgram>& programs,
                                               const std::function<bool()>& pump) {
    std::vector<std::wstring> exes;
    for (const RunningProgram& p : programs) exes.insert(exes.end(), p.exeNames.begin(), p.exeNames.end());
    const std::vector<std::wstring> still = processes::AskToClose(exes, kCloseWaitMs, pump);
    std::vector<std::wstring> stayed;
    for (const RunningProgram& p : programs)
        if (processes::FirstRunning(p.exeNames, still)) stayed.push_back(p.name);
    return stayed;
}

}  // namespace nv::engine
