// Analyze: the selection run in preview, its rows telling what a clean
// would remove; and the details window of a result row.
#include <windows.h>

#include "engine/CleanNow.h"
#include "engine/rundetails.h"
#include "foundation/apppath.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "settings/profile.h"
#include "shell/frmDetails.h"
#include "shell/frmMainCode.h"
#include "shell/resource.h"
#include "shell/ui.h"

namespace nv {
namespace {

// The main window as the view of an Analyze run. The texts a clean shows
// at its end (box, popup, totals) DetailsView keeps away from it.
class AnalyzeWindowView : public engine::RunView {
public:
    explicit AnalyzeWindowView(frmMainCode& w) : w_(w) {}

    void BeginRun() override {
        w_.ShowStatusPanel();
        EnableButtons(FALSE);
        w_.ClearRows();
    }
    void showstatus(const std::wstring& label) override { w_.showstatus(label); }
    void AppendRow(const std::wstring& item) override { w_.AppendRow(item); }
    void SetRowStatus(const std::wstring& text) override { w_.SetCurrentStatus(text); }
    void SetProgress(int value) override { w_.SetProgress(value); }
    void SetAction(const std::wstring& text) override { w_.SetAction(text); }
    void Pump() override { ui::PumpMessages(); }
    void EndRun() override { EnableButtons(TRUE); }
    void Notify(const std::wstring&, const std::wstring&, const std::wstring&) override {}
    void Announce(const std::wstring&, const std::wstring&) override {}
    void ShowTotals(const std::wstring&, double, double) override {}
    void ShowMainWindow() override { w_.Show(); }
    void ExitProgram() override {}
    void* OwnerWindow() override { return w_.hwnd(); }

private:
    void EnableButtons(BOOL on) {
        EnableWindow(w_.control(ids::Command1), on);
        EnableWindow(w_.control(ids::analyze::Analyze), on);
        SetCursor(LoadCursorW(nullptr, on ? IDC_ARROW : IDC_WAIT));
    }
    frmMainCode& w_;
};

}  // namespace

void frmMainCode::Analyze() {
    if (running_) return;
    running_ = true;
    cancelRequested_ = false;
    auto details = std::make_shared<engine::RunDetails>(
        true, profile::NumericFlag(profile::kOptions, profile::opt::securely));
    AnalyzeWindowView window(*this);
    engine::DetailsView view(window, *details, engine::DetailsView::Mode::Analyze);
    engine::Environment env{state_.appData, state_.localAppData, state_.windowsFolder, state_.ieMajor};
    engine::Counters counters;
    int unattended = 0;  // the run's end box and popup are not shown anyway
    engine::RunOptions options;
    options.preview = true;
    options.sink = details.get();
    options.cancel = &cancelRequested_;
    engine::RunEnd end = engine::CleanNow(view, env, counters, unattended, options);
    running_ = false;
    if (end == engine::RunEnd::Refused) {
        prompts::Show(L"Another cleaning run is in progress. Please wait until it has finished.", kAppTitle,
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    details_ = std::move(details);
    EnableWindow(control(ids::analyze::Details), TRUE);
    if (end != engine::RunEnd::Completed) return;
    std::wstring estimate = L"Estimate: " + NumberText(counters.regCount) + L" registry keys, " +
                            MegabytesText(counters.bytes) + L" MB to release";
    SetWindowTextW(control(ids::analyze::LabelEstimate), estimate.c_str());
}

void frmMainCode::ShowDetails(int row) {
    if (running_ || !details_ || details_->RowCount() == 0) return;
    size_t r = row >= 0 && static_cast<size_t>(row) < details_->RowCount() ? static_cast<size_t>(row)
                                                                            : details_->RowCount() - 1;
    frmDetails::Show(hwnd_, details_, r);
}

}  // namespace nv
