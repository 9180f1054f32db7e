// The Options dialog "Options": start with Windows, exit after cleaning, the
// boss key, the weekly schedule, cleaning at Windows start-up and shutdown,
// the Internet Explorer home page and window title, and the applications
// cleaned when they close.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace nv::Frmoption {

// Dialog and control ids (the templates are in res/options.rc).
enum Control : int {
    IDD = 4100,
    SSTab1 = 4101,
    Command1 = IDOK,      // "OK"
    Command2 = IDCANCEL,  // "Cancel"
    IDD_General = 4102,   // the pages, child dialogs over SSTab1
    IDD_Schedule = 4103,
    IDD_Homepage = 4104,
    IDD_WhenClosed = 4105,

    GroupGeneral = 4110,
    Check1 = 4111,  // Enable Boss Key
    Check2 = 4112,  // Load ... on Windows Start Up
    Check3 = 4113,  // Automatically check for new versions
    Check4 = 4114,  // Exit after cleaning
    Check6 = 4116,  // Enable Securely Cleaning
    chkAtReboot = 4117,  // Delete files in use at the next restart
    GroupBossKey = 4120,
    BossKeyText = 4121,

    GroupSchedule = 4150,
    LabelStartAt = 4151,
    cmbStartTime = 4152,
    chkSunday = 4153,
    chkMonday = 4154,
    chkTuesday = 4155,
    chkWednesday = 4156,
    chkThursday = 4157,
    chkFriday = 4158,
    chkSaturday = 4159,
    chkDaily = 4160,
    GroupRunAt = 4161,
    LabelRunAt = 4162,
    Check7 = 4163,  // Windows Startup
    Check8 = 4164,  // Windows Shutdown

    GroupHomepage = 4190,
    LabelHomepageTitle = 4191,
    LabelHomepageText = 4192,
    GroupIEHomePage = 4193,
    LabelResetTo = 4194,
    Text1 = 4195,  // home page
    LabelWindowTitle = 4196,
    Text2 = 4197,  // window title

    GroupWhenClosed = 4170,
    LabelWhenClosed = 4171,
    lstWhenClosed = 4172,  // one box per application
};

// A box of the page "When a browser closes": the application's name and
// its key in profile section WhenClosed.
struct ClosingBox {
    std::wstring caption;
    std::wstring key;
};

// What OK changes beyond the profile and the registry: the main window's
// boss key and schedule.
struct Host {
    std::function<void()> EnableBossKey;
    std::function<void()> DisableBossKey;
    std::function<void()> RefreshSchedule;
    // The applications installed here whose closing can start a clean, and
    // what OK tells the watcher.
    std::vector<ClosingBox> closingBoxes;
    std::function<void()> RefreshClosingWatch;
    // Where the start-with-Windows entry goes first, and where it goes
    // when that is refused (tests pass keys that refuse).
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
    HKEY userRoot = HKEY_CURRENT_USER;
};

// Modal, as the menu, the toolbar and the tray menu open it; while one is
// open (the tray menu can ask again), that one comes to the front instead.
void ShowModal(HWND owner, const Host& host);
// Modeless, for tests that drive it with messages; host must outlive it.
HWND Create(HWND owner, const Host& host);

// Shows one of the four pages (0 General, 1 Schedule, 2 Homepage, 3 When a
// browser closes).
void SelectPage(HWND dialog, int page);
// A control of the dialog or of one of its pages.
HWND Control(HWND dialog, int id);

}  // namespace nv::Frmoption
