// The main window's menu bar, tray menu and accelerators, declared once as
// data.
#pragma once

#include <windows.h>

#include <span>

namespace nv::menus {

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

std::span<const Menu> MainMenu();

HMENU BuildMenuBar();
HMENU BuildTrayMenu();  // mPopupSys
HACCEL BuildAccelerators();

}  // namespace nv::menus
