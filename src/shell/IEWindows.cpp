#include "shell/IEWindows.h"

namespace nv::IEWindows {
namespace {
bool g_enabled = false;
}

// The hot keys and the window-procedure hook arrive with the boss key
// itself; until then the switch is only remembered.
void EnableBossKey(HWND) { g_enabled = true; }
void DisableBossKey(HWND) { g_enabled = false; }
bool BossKeyEnabled() { return g_enabled; }

}  // namespace nv::IEWindows
