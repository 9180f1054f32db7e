#include "shell/dialogs.h"

#include "settings/Frmoption.h"
#include "shell/IEWindows.h"
#include "shell/frmMainCode.h"

namespace nv::dialogs {

// The Cleaning Settings and Search and Erase windows are not built yet;
// their commands do nothing until they are.
void OpenCleaningSettings(HWND) {}
void OpenSearchAndErase(HWND) {}

Frmoption::Host OptionsHost() {
    Frmoption::Host host;
    frmMainCode* main = frmMainCode::Instance();
    if (!main) return host;
    HWND w = main->hwnd();
    host.EnableBossKey = [w] { IEWindows::EnableBossKey(w); };
    host.DisableBossKey = [w] { IEWindows::DisableBossKey(w); };
    host.RefreshSchedule = [main] { main->RefreshSchedule(); };
    return host;
}

void OpenOptions(HWND owner) { Frmoption::ShowModal(owner, OptionsHost()); }

}  // namespace nv::dialogs
