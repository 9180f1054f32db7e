// The splash window shown while the main window loads.
#pragma once

#include <windows.h>

namespace nv::Frmsplash {

// Opens the splash; its load loads the main window hidden and starts the
// 2000 ms timer that shows the main window and closes the splash.
HWND Open();
void CloseIfLoaded();
HWND Window();
// Runs the timer's action at once (tests).
void Timer1_Timer();

}  // namespace nv::Frmsplash
