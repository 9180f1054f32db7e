// The run view in front of the real one: rows for RunDetails, and for
// Analyze the estimate texts instead of the clean's.
#include "engine/cleaning_run.h"
#include "engine/run_details.h"

namespace nv::engine {
namespace {

std::wstring Analyzing(const std::wstring& label) { return L"Analyzing " + label + L" ......"; }

}  // namespace

void DetailsView::showstatus(const std::wstring& label) {
    FinishRow();
    details_.BeginRow(label);
    inner_.showstatus(label);
    if (!analyze()) return;
    rowOpen_ = true;
    runText_.clear();
    inner_.SetRowStatus(Analyzing(label));
    inner_.SetAction(Analyzing(label));
}

void DetailsView::AppendRow(const std::wstring& item) {
    FinishRow();
    if (!analyze()) {
        details_.BeginRow(item);
        inner_.AppendRow(item);
        return;
    }
    if (ended_) {
        // The run's last row says what the whole analysis found.
        std::wstring text = item == kTaskComplete ? kAnalysisComplete : item == kTaskCancelled ? kAnalysisCancelled : item;
        details_.BeginRow(text);
        inner_.AppendRow(text);
        inner_.SetRowStatus(EstimateText(details_.total()));
        return;
    }
    details_.BeginRow(item);
    inner_.AppendRow(item);
    rowOpen_ = true;
    runText_.clear();
    inner_.SetRowStatus(Analyzing(item));
}

void DetailsView::SetRowStatus(const std::wstring& text) {
    details_.SetRowStatus(text);
    if (analyze() && rowOpen_) {
        runText_ = text;  // shown, if at all, when the row is done
        return;
    }
    inner_.SetRowStatus(text);
}

void DetailsView::SetAction(const std::wstring& text) {
    if (analyze() && text == kTaskComplete) return inner_.SetAction(L"Analysis complete: nothing has been removed.");
    if (analyze() && text == kTaskCancelled) return inner_.SetAction(L"Analysis cancelled: nothing has been removed.");
    inner_.SetAction(text);
}

void DetailsView::EndRun() {
    FinishRow();
    ended_ = true;
    details_.EndItems();
    inner_.EndRun();
}

void DetailsView::Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) {
    if (!analyze()) inner_.Notify(key, title, description);
}

void DetailsView::Announce(const std::wstring& title, const std::wstring& text) {
    if (!analyze()) inner_.Announce(title, text);
}

void DetailsView::FinishRow() {
    if (!rowOpen_) return;
    rowOpen_ = false;
    const RowTally& tally = details_.row(details_.RowCount() - 1).tally;
    // A row with nothing to show keeps a text of its own that says why
    // ("Fail, Can't find file!"); otherwise it shows its estimate.
    bool ownText = tally.Empty() && !runText_.empty() && !runText_.starts_with(L"Done");
    const std::wstring& note = details_.row(details_.RowCount() - 1).note;
    inner_.SetRowStatus(ownText ? runText_ : EstimateText(tally) + (note.empty() ? L"" : L"; " + note));
}

}  // namespace nv::engine
