// The notification-area icon of the main window and its menu.
#pragma once

#include <windows.h>

namespace nv::tray {

// The icon's callback message: the mouse-move message, as the notification
// area has always sent it to this window. The mouse event arrives in the
// low word of the message parameter.
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;

void AddTrayIcon(HWND mainWindow, HICON icon);
void RemoveTrayIcon();

// The message a new taskbar sends every top-level window (Explorer restarted
// after an update or a crash): the icons it had are gone, and ReAddTrayIcon
// puts this one back, unless it was removed.
UINT TaskbarCreatedMessage();
void ReAddTrayIcon();

// The tray event a callback carries (WM_LBUTTONUP, WM_RBUTTONUP, ...), or 0
// when the message is a real mouse move over the window.
UINT TrayEvent(HWND mainWindow, LPARAM lp);

// Opens mPopupSys at the mouse position; its commands go to the window.
void ShowTrayMenu(HWND mainWindow);

}  // namespace nv::tray
