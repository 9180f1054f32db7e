#include "shell/IEWindows.h"

#include <commctrl.h>

namespace nv::IEWindows {
namespace {

constexpr UINT_PTR kSubclassId = 0x4E42;  // "NB"

std::vector<HiddenWindow> g_hidden(1);
HWND g_hooked = nullptr;

LRESULT CALLBACK BossKeyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_HOTKEY) {
        UINT modifiers = LOWORD(lp), vk = HIWORD(lp);
        if (vk == kHotKeyVk && modifiers == kHideModifiers && wp == kHideHotKey) HideBrowserWindows();
        if (vk == kHotKeyVk && modifiers == kRestoreModifiers && wp == kRestoreHotKey) RestoreBrowserWindows();
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

BOOL CALLBACK HideOne(HWND window, LPARAM) {
    std::wstring cls = GetWindowClassName(window);
    if (cls != L"CabinetWClass" && cls != L"IEFrame") return TRUE;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;  // 44
    if (!GetWindowPlacement(window, &wp)) return TRUE;  // closed meanwhile
    g_hidden.back() = {window, wp};
    g_hidden.emplace_back();
    wp.showCmd = SW_HIDE;
    SetWindowPlacement(window, &wp);
    return TRUE;
}

}  // namespace

void EnableBossKey(HWND mainWindow) {
    // A key another program holds stays with that program, silently.
    RegisterHotKey(mainWindow, kHideHotKey, kHideModifiers, kHotKeyVk);
    RegisterHotKey(mainWindow, kRestoreHotKey, kRestoreModifiers, kHotKeyVk);
    // Installing the same subclass twice only replaces it, so a second call
    // cannot chain the procedure to itself.
    if (SetWindowSubclass(mainWindow, BossKeyWndProc, kSubclassId, 0)) g_hooked = mainWindow;
}

void DisableBossKey(HWND mainWindow) {
    UnregisterHotKey(mainWindow, kHideHotKey);
    UnregisterHotKey(mainWindow, kRestoreHotKey);
    if (g_hooked) RemoveWindowSubclass(g_hooked, BossKeyWndProc, kSubclassId);
    g_hooked = nullptr;
}

bool BossKeyEnabled() { return g_hooked != nullptr; }

void HideBrowserWindows() {
    g_hidden.assign(1, HiddenWindow{});
    EnumWindows(HideOne, 0);
}

void RestoreBrowserWindows() {
    // A window closed since it was hidden fails its placement call and is
    // passed over.
    for (auto it = g_hidden.rbegin(); it != g_hidden.rend(); ++it)
        if (it->window) SetWindowPlacement(it->window, &it->placement);
}

const std::vector<HiddenWindow>& HiddenWindows() { return g_hidden; }

std::wstring GetWindowClassName(HWND window) {
    wchar_t buf[256];
    int n = GetClassNameW(window, buf, 255);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace nv::IEWindows
