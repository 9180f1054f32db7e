#include "shell/tray.h"

#include <shellapi.h>

#include "foundation/app_path.h"
#include "shell/menus.h"

namespace nv::tray {
namespace {
NOTIFYICONDATAW g_icon{};
}  // namespace

void AddTrayIcon(HWND mainWindow, HICON icon) {
    g_icon = {};
    g_icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    g_icon.hWnd = mainWindow;
    g_icon.uID = 1;
    g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_icon.uCallbackMessage = kCallbackMessage;
    g_icon.hIcon = icon;
    lstrcpynW(g_icon.szTip, kAppTitle, 64);
    Shell_NotifyIconW(NIM_ADD, &g_icon);
    // An elevated copy would otherwise never hear that the taskbar came back.
    ChangeWindowMessageFilterEx(mainWindow, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

void RemoveTrayIcon() {
    if (g_icon.hWnd) Shell_NotifyIconW(NIM_DELETE, &g_icon);
    g_icon.hWnd = nullptr;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void ReAddTrayIcon() {
    if (g_icon.hWnd) Shell_NotifyIconW(NIM_ADD, &g_icon);
}

UINT TrayEvent(HWND mainWindow, LPARAM lp) {
    // A callback carries the event alone; a real mouse move carries the
    // pointer's client position, which could read as an event only on the
    // window's top row, and then the pointer really is there.
    if (HIWORD(lp) != 0) return 0;
    DWORD pos = GetMessagePos();
    POINT pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ScreenToClient(mainWindow, &pt);
    if (pt.x == LOWORD(lp) && pt.y == 0 && IsWindowVisible(mainWindow)) return 0;
    return LOWORD(lp);
}

void ShowTrayMenu(HWND mainWindow) {
    HMENU menu = menus::BuildTrayMenu();
    POINT pt;
    GetCursorPos(&pt);
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window.
    SetForegroundWindow(mainWindow);
    TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, mainWindow, nullptr);
    PostMessageW(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

}  // namespace nv::tray
