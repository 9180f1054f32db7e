// The main window: menu bar, toolbar, home and status panels, totals strip.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "shell/main_state.h"

namespace nv::engine {
class RunDetails;
struct Counters;
struct ClosingApp;
enum class RunEnd;
}

namespace nv {

class frmMainCode {
public:
    // Creates the window hidden and runs its load. One per process.
    static frmMainCode* Load();
    static frmMainCode* Instance();
    // Destroys the window without ending the process (tests).
    static void Unload();

    HWND hwnd() const { return hwnd_; }
    HWND control(int id) const;  // any control of the window, panels included
    MainState& state() { return state_; }

    void Show();
    void ShowHomePanel();
    void ShowStatusPanel();
    bool StatusPanelVisible() const;
    void ClearSelections();

    // The status routine every cleaning item calls at its start.
    void showstatus(const std::wstring& label);
    // Result list: append a row (it becomes the current row), set the
    // current row's "Status" column, clear.
    void AppendRow(const std::wstring& item);
    void SetCurrentStatus(const std::wstring& text);
    void ClearRows();
    void SetProgress(int value);
    void SetAction(const std::wstring& text);
    void ShowTotals();  // Label14 from the counters
    void SetLastCleanText(const std::wstring& text);

    // The cleaning run (status panel, result rows, totals).
    void CleanNow();
    // A run nobody watches (start-up, tray, schedule): ends with a popup.
    // Ignored while a run is in progress.
    void StartUnattendedRun();
    // The items of an application that has just closed (the watcher asks):
    // no box, a popup naming it, the window left as it was. False while
    // another run is in progress; true when nothing of it is selected.
    bool RunAfterClosing(const engine::ClosingApp& app);
    void RequestCancel() { cancelRequested_ = true; }
    // The selection run in preview: nothing is removed, the rows tell what a
    // clean would remove and the totals strip shows the estimate.
    void Analyze();
    // The details window for a result row of the last run (-1: the whole run).
    void ShowDetails(int row);

    void ExitProgram();
    void OnCommand(int id);

    // The schedule tick at a local time (Timer1 passes the clock's): starts
    // an unattended run when the schedule is due, at most once per minute
    // and never inside a run; true when it started one.
    bool ScheduleTick(const SYSTEMTIME& now);
    // Day flags and scheduled time from the profile (load, Options OK).
    void RefreshSchedule();
    // Shown in normal state, in front (tray left click, tray Restore).
    void Restore();

    // Tests replace the end of the process and see it instead.
    static void SetExitHook(std::function<void()> hook);

private:
    frmMainCode() = default;
public:
    static LRESULT CALLBACK WndProcThunk(HWND, UINT, WPARAM, LPARAM);

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void CreateToolbar();
    void CreateHomePanel();
    void CreateStatusPanel();
    void CreateTotalsStrip();
    void Form_Load();
    void Form_Activate();
    void Timer1_Timer();
    void OnImageHover(int id);
    void OnTrayEvent(UINT event);
    // Tray "Clean Now" and the schedule: a run nobody watches, then back to
    // the tray. False when a run was already in progress.
    bool RunUnattendedThenHide();
    void CleanAtSessionEnd();
    // Before a watched clean: when ticked items belong to running programs,
    // asks whether to close them first ("Close them", "Clean without them",
    // Cancel) and does. False when the user cancels the run (in the box, or
    // with Cancel while waiting for them).
    bool ClosePrograms();
    // A clean or an Analyze in this window, its details kept for the rows.
    // With `closing`, only that application's items run.
    engine::RunEnd Run(bool analyze, engine::Counters& counters, int& unattended,
                       const engine::ClosingApp* closing = nullptr);

    HWND hwnd_ = nullptr;
    HWND frame2_ = nullptr;  // home panel
    HWND frame4_ = nullptr;  // status panel
    HWND list_ = nullptr;
    HICON icon_ = nullptr;
    MainState state_;
    int currentRow_ = -1;
    bool running_ = false;
    bool cancelRequested_ = false;
    long long lastScheduledMinute_ = -1;
    bool sessionEndCleaned_ = false;
    std::shared_ptr<engine::RunDetails> details_;  // of the rows on show; none while a run works

    friend class MainRunView;
};

}  // namespace nv
