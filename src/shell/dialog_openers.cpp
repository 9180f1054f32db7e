#include "shell/dialog_openers.h"

#include "search/search_window.h"
#include "settings/options_dialog.h"
#include "settings/cleaning_settings_dialog.h"
#include "shell/boss_key.h"
#include "shell/main_window.h"
#include "shell/about_dialog.h"

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
