#include "shell/menus.h"

#include <span>
#include <string>
#include <vector>

#include "ui/resource.h"

namespace nv::menus {
namespace {

using namespace nv::ids;

struct MenuItem {
    const wchar_t* name;     // designer name: "CleanNow1", "fg1", ...
    const wchar_t* caption;  // "-" for a separator
    int command;             // 0 for menus and separators
    const wchar_t* shortcut; // "Ctrl+N", "F1" or nullptr
    BYTE accelFlags;         // FCONTROL etc.
    WORD accelKey;           // virtual key
};

struct Menu {
    const wchar_t* name;
    const wchar_t* caption;
    std::span<const MenuItem> items;
};

constexpr MenuItem kFile[] = {
    {L"CleanNow1", L"Clean Now", CleanNow1, L"Ctrl+N", FCONTROL, 'N'},
    {L"fg1", L"-", 0, nullptr, 0, 0},
    {L"CleanSettings", L"Clean Settings", CleanSettings, L"Ctrl+S", FCONTROL, 'S'},
    {L"fg2", L"-", 0, nullptr, 0, 0},
    {L"CleanOptions", L"Clean Options", CleanOptions, L"Ctrl+O", FCONTROL, 'O'},
    {L"fg3", L"-", 0, nullptr, 0, 0},
    {L"exit", L"Exit", exit, L"Ctrl+X", FCONTROL, 'X'},
};
constexpr MenuItem kTool[] = {
    {L"CleanRegistry", L"Clean Registry", CleanRegistry, nullptr, 0, 0},
    {L"fg4", L"-", 0, nullptr, 0, 0},
    {L"SearchandErase", L"Search and Erase", SearchandErase, nullptr, 0, 0},
    {L"fg5", L"-", 0, nullptr, 0, 0},
    {L"FileShredder", L"File Shredder", FileShredder, nullptr, 0, 0},
};
constexpr MenuItem kHelp[] = {
    {L"help1", L"Help", help1, L"F1", 0, VK_F1},
    {L"f1", L"-", 0, nullptr, 0, 0},
    {L"OurWebsite", L"Our Website", OurWebsite, L"Ctrl+W", FCONTROL, 'W'},
    {L"fg9", L"-", 0, nullptr, 0, 0},
    {L"friend", L"Tell a Friend", friend_, nullptr, 0, 0},
    {L"f2", L"-", 0, nullptr, 0, 0},
    {L"about", L"About", about, L"Ctrl+A", FCONTROL, 'A'},
};
// mPopupSys "Systray": the tray icon's menu, never in the menu bar.
constexpr MenuItem kSystray[] = {
    {L"web", L"Norvale System Cleaner On the Web", web, nullptr, 0, 0},
    {L"help2", L"Help", help2, nullptr, 0, 0},
    {L"fg0", L"-", 0, nullptr, 0, 0},
    {L"options1", L"Options", options1, nullptr, 0, 0},
    {L"fg91", L"-", 0, nullptr, 0, 0},
    {L"settings1", L"Settings", settings1, nullptr, 0, 0},
    {L"fg8", L"-", 0, nullptr, 0, 0},
    {L"restore1", L"Restore", restore1, nullptr, 0, 0},
    {L"fg71", L"-", 0, nullptr, 0, 0},
    {L"cleannow2", L"Clean Now", cleannow2, nullptr, 0, 0},
    {L"fg6", L"-", 0, nullptr, 0, 0},
    {L"exit1", L"Exit", exit1, nullptr, 0, 0},
};
const Menu kMenus[] = {
    {L"file", L"File(&F)", kFile},
    {L"Tool", L"Tool(&T)", kTool},
    {L"help", L"Help(&H)", kHelp},
};

HMENU BuildPopup(std::span<const MenuItem> items) {
    HMENU popup = CreatePopupMenu();
    for (const MenuItem& it : items) {
        if (std::wstring(it.caption) == L"-") {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = it.caption;
        if (it.shortcut) text += std::wstring(L"\t") + it.shortcut;
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(it.command), text.c_str());
    }
    return popup;
}

}  // namespace


HMENU BuildMenuBar() {
    HMENU bar = CreateMenu();
    for (const Menu& m : kMenus)
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(BuildPopup(m.items)), m.caption);
    return bar;
}

HMENU BuildTrayMenu() { return BuildPopup(kSystray); }

HACCEL BuildAccelerators() {
    std::vector<ACCEL> table;
    for (const Menu& m : kMenus)
        for (const MenuItem& it : m.items)
            if (it.accelKey) table.push_back({static_cast<BYTE>(FVIRTKEY | it.accelFlags), it.accelKey,
                                              static_cast<WORD>(it.command)});
    // The menus keep their fixed entries; Analyze, the look before "Clean
    // Now" (Ctrl+N), is its button and Ctrl+Shift+N.
    table.push_back({FVIRTKEY | FCONTROL | FSHIFT, 'N', static_cast<WORD>(analyze::AnalyzeMenu)});
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace nv::menus
