// The main window as the view of a cleaning run, of an Analyze, and the
// details of their rows.
#include <windows.h>

#include <optional>

#include "engine/cleaning_run.h"
#include "engine/closing_apps.h"
#include "engine/run_details.h"
#include "engine/running_programs.h"
#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "shell/closing_watch.h"
#include "shell/details_window.h"
#include "shell/main_window.h"
#include "shell/notifications.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv {
namespace {
constexpr wchar_t kRunInProgressText[] = L"Another cleaning run is in progress. Please wait until it has finished.";
}  // namespace

class MainRunView : public engine::RunView {
public:
    explicit MainRunView(frmMainCode& w) : w_(w) {}

    void BeginRun() override {
        w_.ShowStatusPanel();
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        waiting_ = true;
        EnableWindow(w_.control(ids::Command1), FALSE);
        EnableWindow(w_.control(ids::analyze::Analyze), FALSE);
        w_.ClearRows();
    }
    void showstatus(const std::wstring& label) override {
        w_.showstatus(label);
        if (waiting_) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
    void AppendRow(const std::wstring& item) override { w_.AppendRow(item); }
    void SetRowStatus(const std::wstring& text) override { w_.SetCurrentStatus(text); }
    void SetProgress(int value) override { w_.SetProgress(value); }
    void SetAction(const std::wstring& text) override { w_.SetAction(text); }
    void Pump() override { ui::PumpMessages(); }
    void EndRun() override {
        EnableWindow(w_.control(ids::Command1), TRUE);
        EnableWindow(w_.control(ids::analyze::Analyze), TRUE);
        waiting_ = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    void Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) override {
        // A run cut short says so in the run's own words.
        if (!closing_ || w_.cancelRequested_)
            return mNotificationSystem::AddRunFinishedNotification(key, title, description);
        // Its own text, and a click shows this run's details.
        mNotificationSystem::AddRunFinishedNotification(
            closingwatch::RememberRun(closing_->details), title,
            closingwatch::ClosedText(closing_->app.name, closing_->items, closing_->counters.bytes));
    }
    void Announce(const std::wstring& title, const std::wstring& text) override {
        prompts::Show(text, title, MB_OK | MB_ICONINFORMATION);
    }
    void ShowTotals(const std::wstring& lastClean, double regCount, double bytes) override {
        w_.state().regCount = regCount;
        w_.state().bytes = bytes;
        w_.SetLastCleanText(lastClean);
        w_.ShowTotals();
    }
    void ShowMainWindow() override {
        if (!closing_) w_.Show();
    }
    void ExitProgram() override { w_.ExitProgram(); }
    void* OwnerWindow() override { return w_.hwnd(); }

    // A run after an application closed.
    struct Closing {
        const engine::ClosingApp& app;
        const engine::Counters& counters;
        std::shared_ptr<const engine::RunDetails> details;
        size_t items = 0;  // that ran
    };
    std::optional<Closing> closing_;

private:
    frmMainCode& w_;
    bool waiting_ = false;
};

bool frmMainCode::RunAfterClosing(const engine::ClosingApp& app) {
    if (running_ || engine::RunInProgressAnywhere()) return false;
    if (!engine::AnySelected(app)) return true;
    engine::Counters counters;
    int unattended = 1;
    return Run(false, counters, unattended, &app) != engine::RunEnd::Refused;
}

void frmMainCode::StartUnattendedRun() {
    if (running_) return;
    state_.unattended = 1;
    CleanNow();
}

void frmMainCode::CleanNow() {
    if (running_) return;  // a second request while the run yields is refused
    // A run nobody watches never asks and never closes anything: the run
    // skips what a running program holds.
    if (state_.unattended != 1 && !ClosePrograms()) return;
    engine::Counters counters;
    engine::RunEnd end = Run(false, counters, state_.unattended);
    if (end == engine::RunEnd::Refused) {
        if (state_.unattended != 1) prompts::Show(kRunInProgressText, kAppTitle, MB_OK | MB_ICONINFORMATION);
        state_.unattended = 0;
    }
    // The totals strip and its counters were set by the run's end from what
    // the profile holds (MainRunView::ShowTotals).
}

bool frmMainCode::ClosePrograms() {
    const engine::Environment env{state_.appData, state_.localAppData, state_.windowsFolder, state_.ieMajor};
    const std::vector<engine::RunningProgram> programs = engine::RunningProgramsOfSelection(env);
    if (programs.empty()) return true;
    std::wstring names;
    for (const engine::RunningProgram& p : programs) names += (names.empty() ? L"" : L", ") + p.name;
    const int answer = prompts::ShowChoice(
        L"These programs are running and hold data you asked to clean: " + names + L".\n\nClose them and clean?",
        kAppTitle, L"Close them", L"Clean without them");
    if (answer == IDCANCEL) return false;
    if (answer != IDYES) return true;
    // Those that stay open are skipped by the run like any running program.
    // Cancel on the status panel stops the wait, and the run with it.
    running_ = true;
    cancelRequested_ = false;
    ShowStatusPanel();
    SetAction(L"Waiting for " + names + L" to close ......");
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    engine::CloseRunningPrograms(programs, [this] {
        ui::PumpMessages();
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return !cancelRequested_;
    });
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    running_ = false;
    if (cancelRequested_) SetAction(L"");
    return !cancelRequested_;
}

void frmMainCode::Analyze() {
    if (running_) return;
    engine::Counters counters;
    int unattended = 0;  // an Analyze ends with no box and no popup anyway
    engine::RunEnd end = Run(true, counters, unattended);
    if (end == engine::RunEnd::Refused) prompts::Show(kRunInProgressText, kAppTitle, MB_OK | MB_ICONINFORMATION);
    if (end != engine::RunEnd::Completed) return;
    std::wstring estimate = L"Estimate: " + NumberText(counters.regCount) + L" registry keys, " +
                            MegabytesText(counters.bytes) + L" MB to release";
    SetWindowTextW(control(ids::analyze::LabelEstimate), estimate.c_str());
}

engine::RunEnd frmMainCode::Run(bool analyze, engine::Counters& counters, int& unattended,
                                const engine::ClosingApp* closing) {
    running_ = true;
    cancelRequested_ = false;
    using Mode = engine::DetailsView::Mode;
    auto details = std::make_shared<engine::RunDetails>(analyze, engine::SecureDeletionOn());
    MainRunView window(*this);
    engine::DetailsView view(window, *details, analyze ? Mode::Analyze : Mode::Clean);
    engine::Environment env{state_.appData, state_.localAppData, state_.windowsFolder, state_.ieMajor};
    engine::RunOptions options;
    options.preview = analyze;
    options.sink = details.get();
    options.cancel = &cancelRequested_;
    if (closing) {
        window.closing_.emplace(MainRunView::Closing{*closing, counters, details});
        options.keepRunning = true;
        // Only its items; of those, any whose program runs (again) is still
        // skipped like in every run.
        options.filter = [closing, skip = engine::SkipRunningPrograms(false),
                          &items = window.closing_->items](const engine::ItemAsk& ask) {
            engine::ItemVerdict v = engine::OnlyOf(*closing, ask);
            if (v.kind == engine::ItemVerdict::Run) v = skip(ask);
            if (v.kind == engine::ItemVerdict::Run) ++items;
            return v;
        };
    }
    engine::RunEnd end = engine::CleanNow(view, env, counters, unattended, options);
    running_ = false;
    if (end != engine::RunEnd::Refused) {
        // The rows on show now have their details.
        details_ = std::move(details);
        EnableWindow(control(ids::analyze::Details), TRUE);
    }
    return end;
}

void frmMainCode::ShowDetails(int row) {
    if (running_ || !details_ || details_->RowCount() == 0) return;
    size_t last = details_->RowCount() - 1;
    frmDetails::Show(hwnd_, details_, row >= 0 && static_cast<size_t>(row) < last ? static_cast<size_t>(row) : last);
}

}  // namespace nv
