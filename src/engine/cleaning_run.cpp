#include "engine/cleaning_run.h"

#include <oleauto.h>

#include <cmath>
#include <optional>

#include "engine/custom_items.h"
#include "engine/files_in_use.h"
#include "engine/running_programs.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/run_lock.h"
#include "foundation/text.h"
#include "foundation/selection_profile.h"

namespace nv::engine {
namespace {

// A drive letter without its medium (an empty card reader, which the
// scandisk item probes on D: to F:) must fail like a missing folder; the
// system's "No Disk" box would stop a run that nobody watches.
class QuietDriveErrors {
public:
    QuietDriveErrors() { SetThreadErrorMode(GetThreadErrorMode() | SEM_FAILCRITICALERRORS, &old_); }
    ~QuietDriveErrors() { SetThreadErrorMode(old_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD old_ = 0;
};

std::wstring Totals(double regCount, double bytes) {
    return L" Cleaned Registry Keys: " + NumberText(regCount) + L" Released HD Space:" + MegabytesText(bytes) + L"MB";
}

}  // namespace

std::wstring EndMessage(double regCount, double bytes) {
    return std::wstring(kTaskComplete) + Totals(regCount, bytes);
}

std::wstring PopupDescription(double regCount, double bytes) {
    return std::wstring(kAppTitle) + L" Clean is done!" + Totals(regCount, bytes);
}

std::wstring CancelMessage(double regCount, double bytes) {
    return std::wstring(kTaskCancelled) + Totals(regCount, bytes);
}

double StoredTotal(const std::wstring& text) {
    double v = ParseNumber(text).value_or(0);
    return std::isfinite(v) && v > 0 ? v : 0;
}

std::wstring NowText() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    double date = 0;
    SystemTimeToVariantTime(&st, &date);
    return DateTimeText(date);
}

bool SecureDeletionOn() { return profile::NumericFlag(profile::kOptions, profile::opt::securely); }

bool RunInProgressAnywhere() { return nv::RunInProgressAnywhere(); }

RunEnd CleanNow(RunView& view, const Environment& env, Counters& counters, int& unattended,
                const RunOptions& options) {
    RunLock lock;
    if (!lock.held()) return RunEnd::Refused;
    QuietDriveErrors quiet;

    EraseContext erase(options.preview);
    erase.set_secure(SecureDeletionOn());
    erase.set_sink(options.sink);
    erase.set_pump([&view] { view.Pump(); });
    erase.set_cancel_flag(options.cancel);
    auto cancelled = [&] { return options.cancel && *options.cancel; };

    // Start.
    view.BeginRun();
    counters = {};
    view.SetProgress(1);
    view.SetAction(L"");

    RunContext ctx{env, view, erase, counters};
    std::optional<FilesInUse> inUse;
    if (!options.preview) ctx.inUse = &inUse.emplace(erase, counters, AtRestartOn());
    // Without a filter of its own, the run skips the items whose program runs.
    const ItemFilter filter = options.filter ? options.filter : SkipRunningPrograms(options.preview);
    ctx.filter = &filter;
    bool stopped = false;
    for (const Group& group : Catalogue()) {
        if (!stopped && cancelled()) stopped = true;
        if (!stopped && group.prepare) group.prepare(ctx);
        for (const Item& item : group.items) {
            if (!stopped && cancelled()) stopped = true;
            if (!stopped && Selected(group, item)) {
                const ItemVerdict verdict =
                    ctx.Ask({group.section, item.key, item.label, ProgramOf(group.section, item.key)});
                if (verdict.kind == ItemVerdict::Skip) {
                    view.showstatus(item.label);
                    view.SetRowStatus(verdict.row);
                }
                if (verdict.kind != ItemVerdict::Run) {
                    if (item.progress >= 0) view.SetProgress(item.progress);
                    continue;
                }
                view.showstatus(item.label);
                ctx.failure.clear();
                for (const Step& step : item.steps) RunStep(ctx, step);
                view.SetRowStatus(EndItem(ctx, erase.stopped()           ? std::wstring(kItemCancelled)
                                               : !ctx.failure.empty() ? L"Fail, " + ctx.failure
                                                                      : std::wstring(item.doneText)));
            }
            if (!stopped && item.progress >= 0) view.SetProgress(item.progress);
        }
    }
    if (!stopped && cancelled()) stopped = true;
    if (!stopped) RunCustomItems(ctx);
    if (!stopped) view.SetProgress(80);
    if (!stopped && cancelled()) stopped = true;
    if (!stopped) RunPlugins(ctx);
    if (!stopped) view.SetProgress(97);
    if (!stopped && cancelled()) stopped = true;

    if (stopped) {
        // A cancelled run claims no success and leaves the profile alone.
        view.EndRun();
        view.AppendRow(kTaskCancelled);
        view.SetAction(kTaskCancelled);
        std::wstring text = CancelMessage(counters.regCount, counters.bytes);
        if (unattended == 1) {
            view.Notify(L"www", kAppTitle, std::wstring(kAppTitle) + L" Clean was cancelled!" +
                                               Totals(counters.regCount, counters.bytes));
            unattended = 0;
        } else {
            view.Announce(L"Task Cancelled", text);
        }
        view.ShowMainWindow();
        return RunEnd::Cancelled;
    }

    // End.
    if (!options.preview && !options.keepRunning && profile::TextFlag(profile::kOptions, profile::opt::exit)) {
        view.ExitProgram();
        return RunEnd::ExitRequested;
    }
    view.SetProgress(100);
    view.EndRun();
    bool saved = true;
    if (!options.preview) {
        saved = profile::Write(profile::kOptions, profile::opt::lastclean, NowText());
        saved = profile::Write(profile::kOptions, profile::opt::regnum, NumberText(counters.regCount)) && saved;
        saved = profile::Write(profile::kOptions, profile::opt::filesize, NumberText(counters.bytes)) && saved;
    }
    view.AppendRow(kTaskComplete);
    view.SetAction(kTaskComplete);
    // The end message tells the run's own counters, whatever the profile holds.
    if (unattended == 1) {
        std::wstring text = PopupDescription(counters.regCount, counters.bytes);
        if (counters.atRestart > 0) text += L" " + AtRestartText(counters.atRestart);
        view.Notify(L"www", kAppTitle, saved ? text : text + L" " + kTotalsNotSaved);
        unattended = 0;
    } else {
        std::wstring text = EndMessage(counters.regCount, counters.bytes);
        if (counters.atRestart > 0) text += L"\n\n" + AtRestartText(counters.atRestart);
        view.Announce(L"Task Complete", saved ? text : text + L"\n\n" + kTotalsNotSaved);
    }
    if (!options.preview) {
        // The totals strip shows what the profile holds, not a guess.
        view.ShowTotals(profile::Read(profile::kOptions, profile::opt::lastclean),
                        StoredTotal(profile::Read(profile::kOptions, profile::opt::regnum)),
                        StoredTotal(profile::Read(profile::kOptions, profile::opt::filesize)));
    }
    view.ShowMainWindow();
    return saved ? RunEnd::Completed : RunEnd::TotalsNotSaved;
}

}  // namespace nv::engine
