// What a cleaning run needs from whoever shows it. The main window, the
// command line and the tests are three views of the same run.
#pragma once

#include <string>

namespace nv::engine {

class RunView {
public:
    virtual ~RunView() = default;

    // Start of a run: status panel shown, hourglass, "Start Cleaning >>"
    // disabled, result list emptied.
    virtual void BeginRun() = 0;
    // Yields once, appends a row for the item with the "Status" text
    // "Cleaning " + label + " ......", scrolls it into view and shows the
    // same text as the current action.
    virtual void showstatus(const std::wstring& label) = 0;
    // Appends a row whose "Status" is empty; it becomes the current row.
    virtual void AppendRow(const std::wstring& item) = 0;
    virtual void SetRowStatus(const std::wstring& text) = 0;
    virtual void SetProgress(int value) = 0;
    virtual void SetAction(const std::wstring& text) = 0;
    // Lets the window repaint and user commands run.
    virtual void Pump() = 0;
    // End of a run: "Start Cleaning >>" enabled, default pointer.
    virtual void EndRun() = 0;
    // The popup of an unattended run.
    virtual void Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) = 0;
    // The "Task Complete" box of a watched run.
    virtual void Announce(const std::wstring& title, const std::wstring& text) = 0;
    // The last-clean text and the totals line of the totals strip.
    virtual void ShowTotals(const std::wstring& lastClean, double regCount, double bytes) = 0;
    virtual void ShowMainWindow() = 0;
    // The "Exit after cleaning" option: the view ends the program.
    virtual void ExitProgram() = 0;
    // The owner window for system dialogs the run asks for (may be null).
    virtual void* OwnerWindow() = 0;
};

// A view with no window: it keeps only what it overrides (the rows, for the
// command line and the benchmark) and ignores the rest.
class WindowlessRunView : public RunView {
public:
    void SetProgress(int) override {}
    void SetAction(const std::wstring&) override {}
    void Pump() override {}
    void EndRun() override {}
    void Notify(const std::wstring&, const std::wstring&, const std::wstring&) override {}
    void Announce(const std::wstring&, const std::wstring&) override {}
    void ShowTotals(const std::wstring&, double, double) override {}
    void ShowMainWindow() override {}
    void ExitProgram() override {}
    void* OwnerWindow() override { return nullptr; }
};

}  // namespace nv::engine
