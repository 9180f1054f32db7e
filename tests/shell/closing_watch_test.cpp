// The run after an application closed, inside the main window: only that
// application's items, a popup naming it that leads to the run's details,
// no box, the window left as it was, "Exit after cleaning" not applied;
// and what the watcher watches as the ticks change.
#include <windows.h>
#include <gtest/gtest.h>

#include "engine/closing_apps.h"
#include "main_window_fixture.h"
#include "sandbox.h"
#include "shell/closing_watch.h"
#include "shell/details_window.h"
#include "shell/dialog_openers.h"
#include "shell/main_window.h"
#include "shell/notification_popup.h"
#include "shell/notifications.h"

using namespace nv;
namespace ns = nv::mNotificationSystem;

namespace {

class ClosingRun : public nvtest::MainWindowTest {
protected:
    void TearDown() override {
        frmDetails::Close();
        if (auto* popup = ns::NotificationWindow()) popup->Unload();
        ns::CreateNotificationQueue();
        MainWindowTest::TearDown();
    }
    frmMainCode& Load(const std::string& profile) {
        nvtest::WriteText(dir_ / L"prisd.dat", profile);
        frmMainCode::Unload();
        frmMainCode* w = frmMainCode::Load();
        w->state().appData = data_ / L"Roaming";
        w->state().localAppData = data_ / L"Local";
        ns::CreateNotificationQueue();
        return *w;
    }
    std::wstring R(const std::wstring& rel) { return data_ / (L"Roaming\\" + rel); }
    nvtest::ScratchDir data_{L"closing"};
};

TEST_F(ClosingRun, OnlyThatApplicationsItemsThenAPopupLeadingToTheDetails) {
    frmMainCode& w = Load("[FIREFOX]\r\nCookies=1\r\n[Opera]\r\nCookies=1\r\n[Options]\r\nexit=1\r\n");
    const std::wstring ours = R(L"Mozilla\\Firefox\\Profiles\\p\\cookies.sqlite");
    const std::wstring theirs = R(L"Opera\\Opera\\cookies4.dat");
    nvtest::WriteFile(ours, 1048576 * 3 / 2);
    nvtest::WriteFile(theirs, 10);
    const engine::ClosingApp firefox{L"Firefox", {L"firefox.exe"}};
    ASSERT_TRUE(w.RunAfterClosing(firefox));
    EXPECT_FALSE(nvtest::Exists(ours));
    EXPECT_TRUE(nvtest::Exists(theirs));
    EXPECT_EQ(exits_, 0);  // a run nobody asked for does not end the program
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    ASSERT_EQ(ns::QueuedCount(), 1u);
    const cNotificationRequest& popup = ns::QueuedRequest(0);
    EXPECT_EQ(popup.Description, L"Firefox closed: cleaned 1 item, 1.5 MB");
    EXPECT_TRUE(popup.EnableClickEvent);
    // The click shows this run's details, not a box.
    ns::m_NotificationWindow_Clicked(popup.Key);
    EXPECT_NE(frmDetails::Window(), nullptr);
    EXPECT_TRUE(prompts_.shown.empty());
    frmDetails::Close();
    // Other popups' keys are not the watcher's.
    EXPECT_FALSE(closingwatch::HandleClick(L"www"));

    // Nothing of the application selected: no run, no popup.
    nvtest::WriteText(dir_ / L"prisd.dat", "[Opera]\r\nCookies=1\r\n");
    ns::CreateNotificationQueue();
    EXPECT_TRUE(w.RunAfterClosing(firefox));
    EXPECT_TRUE(nvtest::Exists(theirs));
    EXPECT_EQ(ns::QueuedCount(), 0u);
}

TEST_F(ClosingRun, WatchesTheTickedApplicationsAsOptionsStoreThem) {
    Load("[WhenClosed]\r\nFirefox=1\r\nOpera=0\r\nChrome=yes\r\n");
    EXPECT_EQ(closingwatch::Watched(), std::vector<std::wstring>{L"Firefox"});
    nvtest::WriteText(dir_ / L"prisd.dat", "[WhenClosed]\r\nOpera=1\r\nSafari=1\r\n");
    closingwatch::Refresh();
    EXPECT_EQ(closingwatch::Watched(), (std::vector<std::wstring>{L"Opera", L"Safari"}));
    nvtest::WriteText(dir_ / L"prisd.dat", "");
    closingwatch::Refresh();
    EXPECT_TRUE(closingwatch::Watched().empty());
    // The Options dialog's OK tells the watcher.
    EXPECT_TRUE(static_cast<bool>(dialogs::OptionsHost().RefreshClosingWatch));
}

}  // namespace
