// The modal dialogs the main window, the toolbar and the tray menu open.
#pragma once

#include <windows.h>

#include "settings/options_dialog.h"

namespace nv::dialogs {

void OpenCleaningSettings(HWND owner);  // frmsettings
void OpenOptions(HWND owner);           // Frmoption
void OpenSearchAndErase(HWND owner);    // frmLocate

// What the Options dialog's OK applies to the main window.
Frmoption::Host OptionsHost();

}  // namespace nv::dialogs
