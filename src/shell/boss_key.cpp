#include "shell/boss_key.h"

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

// Another process's window refuses the placement call (Wine returns FALSE
// for it): the plain show call hides and shows it instead, keeping its
// minimised or maximised state. Asynchronous, so that a hung program cannot
// hang the key.
void Place(HWND window, const WINDOWPLACEMENT& wp) {
    if (!SetWindowPlacement(window, &wp)) ShowWindowAsync(window, wp.showCmd);
}

BOOL CALLBACK HideOne(HWND window, LPARAM) {
    std::wstring cls = GetWindowClassName(window);
    if (cls != L"CabinetWClass" && cls != L"IEFrame") return TRUE;
    // Only what is on screen: a window hidden before (an automation
    // instance, say) is none the key hid, and the restore leaves it hidden.
    if (!IsWindowVisible(window)) return TRUE;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;  // 44
    if (!GetWindowPlacement(window, &wp)) return TRUE;  // closed meanwhile
    g_hidden.back() = {window, wp};
    g_hidden.emplace_back();
    wp.showCmd = SW_HIDE;
    Place(window, wp);
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
    // A second press keeps the windows the first one hid, so that the
    // restore still brings them back; those closed or shown since are
    // dropped (a shown one is hidden and kept anew below).
    std::erase_if(g_hidden, [](const HiddenWindow& h) { return !IsWindow(h.window) || IsWindowVisible(h.window); });
    g_hidden.emplace_back();
    EnumWindows(HideOne, 0);
}

void RestoreBrowserWindows() {
    // A window closed since it was hidden is passed over, and one shown by
    // other means keeps where it is now. The list is used up: a later
    // restore shows nothing someone else hid meanwhile.
    for (auto it = g_hidden.rbegin(); it != g_hidden.rend(); ++it)
        if (it->window && IsWindow(it->window) && !IsWindowVisible(it->window)) Place(it->window, it->placement);
    g_hidden.assign(1, HiddenWindow{});
}

const std::vector<HiddenWindow>& HiddenWindows() { return g_hidden; }

std::wstring GetWindowClassName(HWND window) {
    wchar_t buf[256];
    int n = GetClassNameW(window, buf, 255);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace nv::IEWindows
