// The applications whose closing starts a clean: built-in browsers and
// plug-ins grouped by the processes they close, which of them count as
// installed, and whether the selection holds anything of one of them (the
// filter itself is seen at work in tests/e2e/closing_e2e.sh).
#include <gtest/gtest.h>

#include "engine/closing_apps.h"
#include "foundation/selection_profile.h"
#include "run_fixture.h"
#include "sandbox.h"

using namespace nv;
using namespace nv::engine;

namespace {

class ClosingApps : public nvtest::RunTest {
protected:
    void Plugin(const std::wstring& file, const std::string& text) {
        nvtest::WriteText(app_ / (L"plus-in\\" + file), text);
    }
    const ClosingApp* Find(const std::vector<ClosingApp>& apps, const std::wstring& name) {
        for (const auto& a : apps)
            if (a.name == name) return &a;
        return nullptr;
    }
    std::string Present() { return "[detect]\r\n1=FILE|" + Narrow(app_.path()) + "\r\n"; }
    static std::string Absent() { return "[detect]\r\n1=FILE|C:\\nv-nowhere\r\n"; }
    static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
};

TEST_F(ClosingApps, PluginsJoinTheApplicationWhoseProcessesTheyClose) {
    Plugin(L"a.ppe", "[name]\r\nappname=Firefox - Extra\r\n[close]\r\n1=FIREFOX.EXE\r\n" + Present());
    Plugin(L"b.ppe", "[name]\r\nappname=Google Chrome - Cache\r\n[close]\r\n1=chrome.exe\r\n" + Absent());
    Plugin(L"c.ppe", "[name]\r\nappname=Zed - Cache\r\n[close]\r\n1=zed.exe\r\n" + Present());
    Plugin(L"d.ppe", "[name]\r\nappname=Zed - Logs\r\n[close]\r\n1=ZED.exe\r\n2=zedhelper.exe\r\n" + Absent());
    Plugin(L"g.ppe", "[name]\r\nappname=Always\r\n[close]\r\n1=always.exe\r\n");
    Plugin(L"e.ppe", "[name]\r\nappname=Closes nothing\r\n");
    Plugin(L"f.ppe", "[name]\r\nappname=Odd=App\r\n[close]\r\n1=odd.exe\r\n" + Absent());
    const auto apps = nv::engine::ClosingApps();
    // The built-in browsers first, in catalogue order, then the plug-ins' own.
    ASSERT_GE(apps.size(), 12u);
    EXPECT_EQ(apps[0].name, L"Internet Explorer");
    EXPECT_EQ(apps[1].name, L"Firefox");
    const struct {
        const wchar_t* name;
        std::vector<std::wstring> exes;
        bool installed;
    } want[] = {
        {L"Firefox", {L"firefox.exe"}, true},  // its plug-in is detected
        {L"Chrome", {L"chrome.exe"}, false},   // not detected, no App Paths entry
        {L"Zed", {L"zed.exe", L"zedhelper.exe"}, true},  // one of its plug-ins is detected
        {L"Always", {L"always.exe"}, true},    // no [detect]: applies everywhere
        {L"Odd=App", {L"odd.exe"}, false},
    };
    for (const auto& w : want) {
        const ClosingApp* a = Find(apps, w.name);
        ASSERT_NE(a, nullptr) << nvtest::Narrow(w.name);
        EXPECT_EQ(a->exeNames, w.exes) << nvtest::Narrow(w.name);
        EXPECT_EQ(a->installed, w.installed) << nvtest::Narrow(w.name);
    }
    EXPECT_EQ(Find(apps, L"Closes nothing"), nullptr);
    EXPECT_EQ(Find(apps, L"Google Chrome"), nullptr);
    EXPECT_EQ(ClosingKey(L"Odd=App"), L"Odd_App");
    EXPECT_EQ(ClosingKey(L";[x]"), L"__x_");
}

TEST_F(ClosingApps, NoRunWithoutOneOfItsItemsSelected) {
    const ClosingApp firefox{L"Firefox", {L"firefox.exe"}};
    const struct {
        const char* profile;
        const char* plugin;  // "" = none
        bool want;
    } cases[] = {
        {"", "", false},
        {"[FIREFOX]\r\nCookies=1\r\n", "", true},
        {"[FIREFOX]\r\nCookies=0\r\n[Opera]\r\nCookies=1\r\n[Custom]\r\nCustom=1\r\n", "", false},
        {"", "[swich]\r\non=1\r\n[close]\r\n1=firefox.exe\r\n", true},
        {"", "[swich]\r\non=0\r\n[close]\r\n1=firefox.exe\r\n", false},
        {"", "[swich]\r\non=1\r\n[close]\r\n1=opera.exe\r\n", false},
        {"", "[swich]\r\non=1\r\n[close]\r\n1=firefox.exe\r\n[detect]\r\n1=FILE|C:\\nv-nowhere\r\n", false},
    };
    for (const auto& c : cases) {
        nvtest::WriteText(app_ / L"prisd.dat", c.profile);
        nvtest::RemoveTree(app_ / L"plus-in");
        if (*c.plugin) Plugin(L"p.ppe", std::string("[name]\r\nappname=P\r\n") + c.plugin);
        EXPECT_EQ(AnySelected(firefox), c.want) << c.profile << c.plugin;
    }
}

}  // namespace
