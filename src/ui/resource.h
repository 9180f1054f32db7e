// Resource, control and command identifiers of the program's windows.
#pragma once

// Icons (res/cleaner.rc)
#define IDI_APP 1
#define IDI_MAIN 101
#define IDI_SETTINGS 102
#define IDI_CLEANNOW 103
#define IDI_SEARCH 104
#define IDI_OPTIONS 105
#define IDI_SHREDDER 106
#define IDI_REGISTRY 109
#define IDI_EXIT 110
#define IDI_HELP 111

#ifndef RC_INVOKED
namespace nv::ids {

// Toolbar images keep their designer numbers: Image1 = 1001 ... Image10 = 1010.
enum Control : int {
    Image1 = 1001,
    Image2 = 1002,
    Image3 = 1003,
    Image4 = 1004,
    Image5 = 1005,
    Image6 = 1006,
    Image9 = 1009,
    Image10 = 1010,

    Frame2 = 1100,  // home panel
    Picture2 = 1101,
    HomeTitle = 1102,
    HomeVersion = 1103,
    HomeText = 1104,

    Frame4 = 1200,  // status panel
    ListView1 = 1201,
    coolprogressbar1 = 1202,
    SkinLabel5 = 1203,
    Command1 = 1204,
    Command2 = 1205,
    AdviceText = 1206,

    LastCleanCaption = 1300,
    Label12 = 1301,
    Label14 = 1302,
    Label51 = 1303,
};

// Menu commands.
enum Command : int {
    CleanNow1 = 2001,
    CleanSettings = 2002,
    CleanOptions = 2003,
    exit = 2004,
    CleanRegistry = 2011,
    SearchandErase = 2012,
    FileShredder = 2013,
    help1 = 2021,
    OurWebsite = 2022,
    friend_ = 2023,
    about = 2024,
};

// Tray menu mPopupSys and the Options dialog (4000-4999).
enum TrayCommand : int {
    web = 4001,
    help2 = 4002,
    options1 = 4003,
    settings1 = 4004,
    restore1 = 4005,
    cleannow2 = 4006,
    exit1 = 4007,
};
// Search and Erase (5000-5999): frmLocate and the extension list frmExtentions.
namespace locate {
enum Control : int {
    Drive1 = 5001,
    Dir1 = 5002,
    Label1 = 5003,
    Text1 = 5004,
    cmdAction0 = 5005,  // "&Find Files"
    cmdAction1 = 5006,  // "E&xit", "&Stop" while a search runs
    List1 = 5007,
    Status = 5008,
    Frame1 = 5009,
    Options = 5010,
    chkDelType = 5011,
    Check1 = 5012,
    cmdDelete = 5013,
    cmdSelectAll = 5014,
    cmdUnSelectAll = 5015,
    cmdOption = 5016,
    menuExit = 5101,
    menuOptions = 5102,
    menuResetAll = 5103,
    menuAbout = 5104,
};
}  // namespace locate
namespace extentions {
enum Control : int {
    Frame1 = 5201,
    lstFileTypes = 5202,
    Frame2 = 5203,
    Label2 = 5204,
    txtAdd = 5205,
    cmdAdd = 5206,
    cmdRemove = 5207,
    cmdDefault = 5208,
    cmdDone = 5209,
};
}  // namespace extentions
// Cleaning Settings (frmsettings) and the keep-list dialogs: 3000-3999.
// Check box n of the settings dialog is kCheckBase + n (Check1 = 3001 ...
// Check152 = 3152).
namespace frmsettings {
enum : int {
    kCheckBase = 3000,
    Command1 = 3201,  // OK
    Command2 = 3202,  // Clear
    Command3 = 3203,  // Cancel
    Command7 = 3207,  // Options: URL keep list
    Command8 = 3208,  // Options: cookie keep list
    Command101 = 3301,  // Add
    Command102 = 3302,  // Remove
    SSTab1 = 3400,
    SSTab2 = 3401,
    ListView1 = 3410,  // plug-ins
    ListView2 = 3411,  // custom items
    addfiles = 3420,
    addfolders = 3421,
    kPageBase = 3430,         // SSTab1's pages, in tab order
    kBrowserPageBase = 3440,  // SSTab2's pages
};
inline constexpr int Check(int n) { return kCheckBase + n; }
}  // namespace frmsettings

// The Applications page of Cleaning Settings: plug-ins and their import (7000-7999).
namespace applications {
enum : int { cmdImport = 7001, Hint = 7002 };
}  // namespace applications

namespace frmurl {
enum : int { Frame1 = 3601, Label1, List2, Label2, List1, cmdAdd, cmdRemove };
}  // namespace frmurl

namespace frmcookie {
enum : int { Frame1 = 3701, Frame3, lstCookieList, Frame2, List1, Frame4, Text1, cmdAdd, cmdRemove };
}  // namespace frmcookie

// Analyze and the details view (6000-6999).
namespace analyze {
enum : int {
    Analyze = 6001,        // status panel button
    Details = 6002,        // status panel button
    LabelEstimate = 6003,  // totals strip: what Analyze found
    AnalyzeMenu = 6004,    // Ctrl+Shift+N: the status panel, then Analyze
};
}  // namespace analyze
namespace details {
enum : int { Caption = 6101, List = 6102, Total = 6103, Close = 6104 };
}  // namespace details

}  // namespace nv::ids
#endif
