// The main window as the view of a cleaning run.
#include <windows.h>

#include "engine/CleanNow.h"
#include "foundation/apppath.h"
#include "foundation/prompts.h"
#include "shell/frmMainCode.h"
#include "shell/mNotificationSystem.h"
#include "shell/resource.h"
#include "shell/ui.h"

namespace nv {

class MainRunView : public engine::RunView {
public:
    explicit MainRunView(frmMainCode& w) : w_(w) {}

    void BeginRun() override {
        w_.ShowStatusPanel();
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        waiting_ = true;
        EnableWindow(w_.control(ids::Command1), FALSE);
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
        waiting_ = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    void Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) override {
        mNotificationSystem::AddRunFinishedNotification(key, title, description);
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
    void ShowMainWindow() override { w_.Show(); }
    void ExitProgram() override { w_.ExitProgram(); }
    void* OwnerWindow() override { return w_.hwnd(); }

private:
    frmMainCode& w_;
    bool waiting_ = false;
};

void frmMainCode::StartUnattendedRun() {
    if (running_) return;
    state_.unattended = 1;
    CleanNow();
}

void frmMainCode::CleanNow() {
    if (running_) return;  // a second request while the run yields is refused
    running_ = true;
    cancelRequested_ = false;
    MainRunView view(*this);
    engine::Environment env{state_.appData, state_.localAppData, state_.windowsFolder, state_.ieMajor};
    engine::Counters counters;
    engine::RunOptions options;
    options.cancel = &cancelRequested_;
    engine::RunEnd end = engine::CleanNow(view, env, counters, state_.unattended, options);
    running_ = false;
    if (end == engine::RunEnd::Refused) {
        if (state_.unattended != 1)
            prompts::Show(L"Another cleaning run is in progress. Please wait until it has finished.", kAppTitle,
                          MB_OK | MB_ICONINFORMATION);
        state_.unattended = 0;
    }
    // The totals strip and its counters were set by the run's end from what
    // the profile holds (MainRunView::ShowTotals).
}

}  // namespace nv
