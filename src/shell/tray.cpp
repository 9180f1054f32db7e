#include "shell/tray.h"

#include <shellapi.h>

#include "foundation/apppath.h"

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
}

void RemoveTrayIcon() {
    if (g_icon.hWnd) Shell_NotifyIconW(NIM_DELETE, &g_icon);
}

}  // namespace nv::tray
