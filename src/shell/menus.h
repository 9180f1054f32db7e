// The main window's menu bar, tray menu and accelerators, declared once as
// data.
#pragma once

#include <windows.h>

namespace nv::menus {

HMENU BuildMenuBar();
HMENU BuildTrayMenu();  // mPopupSys
HACCEL BuildAccelerators();

}  // namespace nv::menus
