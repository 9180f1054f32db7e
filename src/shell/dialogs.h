// The modal dialogs the main window, the toolbar and the tray menu open.
#pragma once

#include <windows.h>

namespace nv::dialogs {

void OpenCleaningSettings(HWND owner);  // frmsettings
void OpenOptions(HWND owner);           // Frmoption
void OpenSearchAndErase(HWND owner);    // frmLocate

}  // namespace nv::dialogs
