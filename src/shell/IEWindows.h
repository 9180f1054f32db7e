// The boss key: system-wide hot keys that hide and restore browser and
// Explorer windows.
#pragma once

#include <windows.h>

namespace nv::IEWindows {

void EnableBossKey(HWND mainWindow);
void DisableBossKey(HWND mainWindow);
bool BossKeyEnabled();

}  // namespace nv::IEWindows
