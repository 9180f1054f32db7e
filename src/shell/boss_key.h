// The boss key: system-wide hot keys that hide and restore browser and
// Explorer windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv::IEWindows {

// Windows+Z hides, Windows+Shift+Z restores.
constexpr int kHideHotKey = 95;
constexpr int kRestoreHotKey = 111;
constexpr UINT kHideModifiers = MOD_WIN;                // 8
constexpr UINT kRestoreModifiers = MOD_WIN | MOD_SHIFT;  // 12
constexpr UINT kHotKeyVk = 'Z';                         // 90

// One hidden window and the placement it had; the list always ends with an
// empty record (window nullptr).
struct HiddenWindow {
    HWND window = nullptr;
    WINDOWPLACEMENT placement{};
};

// Registers both hot keys for the main window and hooks its window
// procedure (a subclass, so turning the key off restores it exactly).
void EnableBossKey(HWND mainWindow);
// Unregisters both hot keys and removes the hook; hidden windows stay hidden.
void DisableBossKey(HWND mainWindow);
bool BossKeyEnabled();

// Hides every visible top-level "IEFrame" and "CabinetWClass" window, of any
// process, and keeps their placements, added to those of the windows an
// earlier press hid that are still hidden.
void HideBrowserWindows();
// Re-applies the kept placements, last to first, to the kept windows that are
// still hidden, and empties the list.
void RestoreBrowserWindows();
const std::vector<HiddenWindow>& HiddenWindows();

std::wstring GetWindowClassName(HWND window);

}  // namespace nv::IEWindows
