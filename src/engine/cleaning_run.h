// The cleaning run: every selected item of the catalogue in order, the
// custom items and plug-ins, then the totals written to the profile and the
// end message.
#pragma once

#include <string>

#include "engine/catalogue.h"
#include "engine/run_view.h"
#include "foundation/erase_context.h"

namespace nv::engine {

struct RunOptions {
    bool preview = false;              // nothing deleted, created or written
    EraseSink* sink = nullptr;         // hears every removal
    const bool* cancel = nullptr;      // set while the run yields: stop where the run stands
    ItemFilter filter;                 // which selected items run, are skipped or left out;
                                       // none: SkipRunningPrograms(preview)
    bool keepRunning = false;          // "Exit after cleaning" does not apply (a run nobody asked for)
};

enum class RunEnd {
    Completed,      // the end steps ran; the profile holds the totals
    TotalsNotSaved, // the end steps ran, but lastclean, regnum or filesize could not be written
    Cancelled,      // stopped early; nothing written to the profile
    ExitRequested,  // "Exit after cleaning": the view was asked to end the program
    Refused,        // another run is in progress (in this process or another)
};

// Runs one cleaning run. counters are reset at the start; unattended is the
// main window's flag (1 = end with a popup; reset to 0 by the run).
RunEnd CleanNow(RunView& view, const Environment& env, Counters& counters, int& unattended,
                const RunOptions& options = {});

// The end texts, for views that print them.
std::wstring EndMessage(double regCount, double bytes);         // "Task complete Successfully! ..."
std::wstring PopupDescription(double regCount, double bytes);   // "Norvale System Cleaner Clean is done! ..."
std::wstring CancelMessage(double regCount, double bytes);      // "Task cancelled! ..."

inline constexpr wchar_t kTaskComplete[] = L"Task complete Successfully!";
inline constexpr wchar_t kTaskCancelled[] = L"Task cancelled!";
inline constexpr wchar_t kItemCancelled[] = L"Cancelled";  // the row of an item cut short
// Added to the end message when the totals could not be written.
inline constexpr wchar_t kTotalsNotSaved[] = L"The totals could not be saved: prisd.dat cannot be written.";

// A total as the profile stores it (regnum, filesize) read back as a
// number: 0 for anything that is not a finite, non-negative number.
double StoredTotal(const std::wstring& text);

// The current date and time as the platform's default text ("3/5/2024 2:07:09 PM").
std::wstring NowText();

// The Options box "Enable Securely Cleaning": every file a run deletes is
// overwritten first.
bool SecureDeletionOn();

// True while a run is in progress in any process of this user session.
bool RunInProgressAnywhere();

}  // namespace nv::engine
