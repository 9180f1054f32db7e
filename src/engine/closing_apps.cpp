#include "engine/closing_apps.h"

#include <windows.h>

#include <algorithm>

#include "foundation/registry_access.h"
#include "foundation/selection_profile.h"
#include "foundation/text.h"
#include "plugins/plugin_files.h"

namespace nv::engine {
namespace {

template <class Names>
bool Shares(const std::vector<std::wstring>& ours, const Names& theirs) {
    for (const auto& o : ours)
        for (const auto& t : theirs)
            if (SameText(o, t)) return true;
    return false;
}

// Setups register a browser's executable under App Paths, per machine or
// per user; either view of the machine's key counts.
bool Registered(const std::vector<std::wstring>& exeNames) {
    constexpr wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    for (const auto& exe : exeNames) {
        const std::wstring sub = kAppPaths + exe;
        for (auto [root, view] : {std::pair{HKEY_CURRENT_USER, 0}, std::pair{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                                  std::pair{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}}) {
            HKEY k = nullptr;
            if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_QUERY_VALUE | view, &k) == ERROR_SUCCESS) {
                RegCloseKey(k);
                return true;
            }
        }
    }
    return false;
}

// "Firefox - Cache" belongs to "Firefox".
std::wstring AppNameOf(const std::wstring& pluginName) {
    const size_t dash = pluginName.find(L" - ");
    return dash == std::wstring::npos || dash == 0 ? pluginName : pluginName.substr(0, dash);
}

}  // namespace

std::vector<ClosingApp> ClosingApps() {
    std::vector<ClosingApp> apps;
    for (const BrowserGroup& b : BrowserGroups()) {
        ClosingApp a{b.program.name, {b.program.exeNames.begin(), b.program.exeNames.end()}};
        a.installed = Registered(a.exeNames);
        apps.push_back(std::move(a));
    }
    const pathvars::Folders folders;
    plugins::DetectCache cache;
    for (const plugins::Plugin& p : plugins::Installed()) {
        if (p.extras.close.empty()) continue;
        const std::wstring name = AppNameOf(p.name);
        auto it = std::find_if(apps.begin(), apps.end(), [&](const ClosingApp& a) {
            return Shares(a.exeNames, p.extras.close) || SameText(a.name, name);
        });
        if (it == apps.end()) it = apps.insert(apps.end(), ClosingApp{name, {}});
        for (const auto& exe : p.extras.close)
            if (!Shares(it->exeNames, std::vector{exe})) it->exeNames.push_back(exe);
        if (!it->installed && p.extras.error.empty() && plugins::Detected(p.extras, folders, &cache))
            it->installed = true;
    }
    return apps;
}

std::wstring ClosingKey(const std::wstring& name) {
    std::wstring key = name;
    for (size_t i = 0; i < key.size(); ++i)
        if (key[i] == L'=' || key[i] == L'[' || key[i] == L']' || (i == 0 && key[i] == L';')) key[i] = L'_';
    return key;
}

bool ClosingTicked(const ClosingApp& app) { return profile::TextFlag(profile::kWhenClosed, ClosingKey(app.name)); }

ItemVerdict OnlyOf(const ClosingApp& app, const ItemAsk& ask) {
    const bool ours = (ask.program && Shares(app.exeNames, ask.program->exeNames)) ||
                      (ask.closeNames && Shares(app.exeNames, *ask.closeNames));
    return {ours ? ItemVerdict::Run : ItemVerdict::Leave};
}

bool AnySelected(const ClosingApp& app) {
    for (const Group& g : Catalogue())
        for (const Item& item : g.items) {
            if (Selected(g, item) && OnlyOf(app, {g.section, item.key, item.label, ProgramOf(g.section, item.key)}).kind ==
                          ItemVerdict::Run)
                return true;
        }
    const pathvars::Folders folders;
    plugins::DetectCache cache;
    for (const plugins::Plugin& p : plugins::Installed())
        if (p.enabled && Shares(app.exeNames, p.extras.close) && plugins::Detected(p.extras, folders, &cache))
            return true;
    return false;
}

}  // namespace nv::engine
