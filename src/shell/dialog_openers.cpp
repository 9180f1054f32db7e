#include "shell/dialog_openers.h"

#include "search/search_window.h"
#include "settings/options_dialog.h"
#include "settings/cleaning_settings_dialog.h"
#include "engine/closing_apps.h"
#include "shell/boss_key.h"
#include "shell/closing_watch.h"
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
    for (const engine::ClosingApp& app : engine::ClosingApps())
        if (app.installed) host.closingBoxes.push_back({app.name, engine::ClosingKey(app.name)});
    host.RefreshClosingWatch = closingwatch::Refresh;
    return host;
}

void OpenOptions(HWND owner) { Frmoption::ShowModal(owner, OptionsHost()); }

}  // namespace nv::dialogs
