// The notification-area icon of the main window.
#pragma once

#include <windows.h>

namespace nv::tray {

// The icon's callback message: the mouse-move message, as the notification
// area has always sent it to this window.
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;

void AddTrayIcon(HWND mainWindow, HICON icon);
void RemoveTrayIcon();

}  // namespace nv::tray
