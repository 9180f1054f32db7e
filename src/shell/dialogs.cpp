#include "shell/dialogs.h"

#include "search/frmLocate.h"
#include "settings/Frmoption.h"
#include "settings/frmsettings.h"
#include "shell/IEWindows.h"
#include "shell/frmMainCode.h"
#include "shell/frmabout.h"

namespace nv::dialogs {

void OpenCleaningSettings(HWND owner) { frmsettings::ShowModal(owner); }

void OpenSearchAndErase(HWND owner) {
    search::frmLocate::ShowModal(owner, {.showAbout = [](HWND o) { frmabout::ShowModal(o); }});
}

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
