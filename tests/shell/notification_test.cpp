// Popup queue and popup window, driven tick by tick: the tests call the
// timer functions themselves and never pump messages, so the real timers
// never fire here.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "shell/notification_popup.h"
#include "shell/notifications.h"

namespace ns = nv::mNotificationSystem;
using nv::frmNotification;
using nvtest::RecordingPrompter;

namespace {

class Notifications : public ::testing::Test {
protected:
    void SetUp() override { ns::CreateNotificationQueue(); }
    void TearDown() override {
        if (auto* popup = ns::NotificationWindow()) popup->Unload();
        ns::CreateNotificationQueue();
    }

    static void Add(const std::wstring& key, const std::wstring& title, const std::wstring& description,
                    bool queueSeparately = true, bool enableClickEvent = true) {
        ns::AddNotification(key, title, description, queueSeparately, enableClickEvent, nullptr, L"");
    }

    // Steps the popup until it has unloaded; the number of steps taken.
    static int RunToEnd() {
        int steps = 0;
        while (ns::NotificationWindow() && steps < 1000) {
            ns::NotificationWindow()->tmrPopupController_Timer();
            ++steps;
        }
        return steps;
    }

    static void GrowToFullHeight(frmNotification& popup) {
        for (int i = 0; i < 1000 && popup.phase() == frmNotification::kGrowing; ++i) popup.tmrPopupController_Timer();
    }

    static RECT WindowRect(HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        return r;
    }

    static std::wstring Text(HWND h) {
        wchar_t buf[512] = {};
        GetWindowTextW(h, buf, 512);
        return buf;
    }

    static HWND Control(int id) { return GetDlgItem(ns::NotificationWindow()->hwnd(), id); }

    static void Click(int id) {
        HWND h = Control(id);
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
};

TEST_F(Notifications, QueuedRequestsShowOneAtATimeOldestFirst) {
    Add(L"a", L"First", L"one");
    Add(L"b", L"Second", L"two");
    EXPECT_EQ(ns::QueuedCount(), 2u);
    EXPECT_EQ(ns::NotificationWindow(), nullptr);

    ns::tmrShowPopup_Timer();
    frmNotification* first = ns::NotificationWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->NotificationRequest().Key, L"a");
    EXPECT_EQ(Text(Control(frmNotification::lblTitle)), L"First");
    EXPECT_TRUE(IsWindowVisible(first->hwnd()));
    EXPECT_EQ(ns::QueuedCount(), 1u);

    // The second waits while the first is on screen.
    ns::tmrShowPopup_Timer();
    EXPECT_EQ(ns::NotificationWindow(), first);
    EXPECT_EQ(ns::QueuedCount(), 1u);

    HWND firstWindow = first->hwnd();
    RunToEnd();
    EXPECT_EQ(ns::NotificationWindow(), nullptr);
    EXPECT_FALSE(IsWindow(firstWindow));

    ns::tmrShowPopup_Timer();
    ASSERT_NE(ns::NotificationWindow(), nullptr);
    EXPECT_EQ(ns::NotificationWindow()->NotificationRequest().Key, L"b");
    EXPECT_EQ(ns::QueuedCount(), 0u);
    RunToEnd();
    ns::tmrShowPopup_Timer();
    EXPECT_EQ(ns::NotificationWindow(), nullptr);
}

TEST_F(Notifications, SameQueueKeyReplacesTheWaitingRequestAtTheEnd) {
    // Queued separately: keyed by the description.
    Add(L"k1", L"T1", L"same text");
    Add(L"k2", L"T2", L"other text");
    Add(L"k3", L"T3", L"same text");
    EXPECT_EQ(ns::QueuedKeys(), (std::vector<std::wstring>{L"other text", L"same text"}));
    EXPECT_EQ(ns::QueuedRequest(1).Key, L"k3");

    // Not separately: keyed by the title.
    Add(L"x", L"Status", L"d1", false);
    Add(L"y", L"Status", L"d2", false);
    ASSERT_EQ(ns::QueuedCount(), 3u);
    EXPECT_EQ(ns::QueuedKeys().back(), L"Status");
    EXPECT_EQ(ns::QueuedRequest(2).Description, L"d2");
}

TEST_F(Notifications, SameTitleUpdatesThePopupInPlaceAndRestartsItsDisplay) {
    Add(L"k", L"Status", L"first", false);
    ns::tmrShowPopup_Timer();
    frmNotification* popup = ns::NotificationWindow();
    ASSERT_NE(popup, nullptr);
    GrowToFullHeight(*popup);
    popup->tmrPopupController_Timer();  // five seconds are over: shrinking
    ASSERT_LT(popup->HeightTwips(), popup->FullHeightTwips());
    const LONG narrow = WindowRect(popup->hwnd()).right - WindowRect(popup->hwnd()).left;

    Add(L"k2", L"Status", L"a second description, much longer than the first one", false);
    EXPECT_EQ(ns::QueuedCount(), 0u);
    EXPECT_EQ(ns::NotificationWindow(), popup);
    EXPECT_EQ(popup->NotificationRequest().Key, L"k2");
    EXPECT_EQ(Text(Control(frmNotification::lblDescription)),
              L"a second description, much longer than the first one");
    EXPECT_GT(WindowRect(popup->hwnd()).right - WindowRect(popup->hwnd()).left, narrow);
    EXPECT_EQ(popup->phase(), frmNotification::kGrowing);

    GrowToFullHeight(*popup);
    EXPECT_EQ(popup->HeightTwips(), popup->FullHeightTwips());
    EXPECT_EQ(popup->TimerInterval(), frmNotification::kDisplayTime);

    // Same title but queued separately, or another title: queued.
    Add(L"k3", L"Status", L"third");
    Add(L"k4", L"Other", L"fourth", false);
    EXPECT_EQ(ns::QueuedCount(), 2u);
    EXPECT_EQ(popup->NotificationRequest().Key, L"k2");
}

TEST_F(Notifications, DescriptionClickShowsTheMessageForTheKey) {
    RecordingPrompter prompts;
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"ALERT", L"You have clicked the Alerts Notification"},
        {L"MESSAGE", L"You have clicked the Messages Notification"},
        {L"www", L"You have clicked the Notification with Key: www"},
        {L"alert", L"You have clicked the Notification with Key: alert"},
    };
    for (const auto& [key, text] : cases) {
        Add(key, L"Title", L"Description " + key);
        ns::tmrShowPopup_Timer();
        ASSERT_NE(ns::NotificationWindow(), nullptr);
        Click(frmNotification::lblDescription);
        ASSERT_EQ(prompts.shown.size(), 1u) << nvtest::Narrow(key);
        EXPECT_EQ(prompts.shown[0].text, text);
        EXPECT_EQ(prompts.shown[0].title, nv::kAppTitle);
        EXPECT_EQ(prompts.shown[0].flags, static_cast<UINT>(MB_OK));
        prompts.shown.clear();
        RunToEnd();
    }
}

TEST_F(Notifications, OnlyAnEnabledDescriptionRaisesClicked) {
    RecordingPrompter prompts;
    Add(L"ALERT", L"Silent", L"no clicks", true, false);
    ns::tmrShowPopup_Timer();
    Click(frmNotification::lblDescription);
    EXPECT_TRUE(prompts.shown.empty());
    RunToEnd();

    Add(L"ALERT", L"Loud", L"clicks");
    ns::tmrShowPopup_Timer();
    Click(frmNotification::lblTitle);
    Click(frmNotification::imgNotificationIcon);
    SendMessageW(ns::NotificationWindow()->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(ns::NotificationWindow()->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(prompts.shown.empty());
    Click(frmNotification::lblDescription);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

// The message box's loop keeps dispatching timers: the popup may run out and
// unload before the box is closed, and the click handler must survive that.
TEST_F(Notifications, PopupMayUnloadWhileItsClickMessageIsOpen) {
    struct FinishingPrompter : RecordingPrompter {
        int Show(const std::wstring& text, const std::wstring& title, UINT flags) override {
            RunToEnd();
            ns::tmrShowPopup_Timer();  // the next popup starts meanwhile
            return RecordingPrompter::Show(text, title, flags);
        }
    } prompts;
    Add(L"MESSAGE", L"One", L"first");
    Add(L"b", L"Two", L"second");
    ns::tmrShowPopup_Timer();
    HWND first = ns::NotificationWindow()->hwnd();
    Click(frmNotification::lblDescription);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, L"You have clicked the Messages Notification");
    EXPECT_FALSE(IsWindow(first));
    ASSERT_NE(ns::NotificationWindow(), nullptr);
    EXPECT_EQ(ns::NotificationWindow()->NotificationRequest().Key, L"b");
}

TEST_F(Notifications, PopupSitsInTheWorkAreaCornerAndWidensForLongText) {
    Add(L"k", L"Norvale", L"Short");
    ns::tmrShowPopup_Timer();
    frmNotification* popup = ns::NotificationWindow();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(GetWindowLongW(popup->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    GrowToFullHeight(*popup);

    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const LONG gap = popup->TwipsToPixelsX(100);
    RECT r = WindowRect(popup->hwnd());
    EXPECT_EQ(r.right, work.right - gap);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.bottom - r.top, popup->TwipsToPixelsY(popup->FullHeightTwips()));

    // Labels at their design places; the window ends 10 pixels after the
    // wider label.
    RECT title{}, description{};
    GetWindowRect(Control(frmNotification::lblTitle), &title);
    GetWindowRect(Control(frmNotification::lblDescription), &description);
    MapWindowPoints(nullptr, popup->hwnd(), reinterpret_cast<POINT*>(&title), 2);
    MapWindowPoints(nullptr, popup->hwnd(), reinterpret_cast<POINT*>(&description), 2);
    EXPECT_EQ(title.left, 48);
    EXPECT_EQ(title.top, 8);
    EXPECT_EQ(description.left, 48);
    EXPECT_EQ(description.top, 24);
    EXPECT_EQ(r.right - r.left, std::max(title.right, description.right) + 10);

    LOGFONTW bold{}, regular{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(frmNotification::lblTitle), WM_GETFONT, 0, 0)),
               sizeof bold, &bold);
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(frmNotification::lblDescription), WM_GETFONT, 0, 0)),
               sizeof regular, &regular);
    EXPECT_STREQ(bold.lfFaceName, L"Tahoma");
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(regular.lfWeight, FW_NORMAL);

    Add(L"k", L"Norvale", L"A much longer description that needs a far wider popup than before", false);
    RECT wide = WindowRect(popup->hwnd());
    EXPECT_GT(wide.right - wide.left, r.right - r.left);
    EXPECT_EQ(wide.right, work.right - gap);

    // Wider than the work area: cut short, never off the left of the screen.
    Add(L"k", L"Norvale", std::wstring(2000, L'W'), false);
    RECT huge = WindowRect(popup->hwnd());
    EXPECT_GE(huge.left, work.left);
    EXPECT_EQ(huge.right, work.right - gap);
}

TEST_F(Notifications, AnimationGrowsWaitsShrinksAndUnloads) {
    int finished = 0;
    Add(L"k", L"Title", L"Description");
    ns::tmrShowPopup_Timer();
    frmNotification* popup = ns::NotificationWindow();
    ASSERT_NE(popup, nullptr);
    HWND hwnd = popup->hwnd();
    auto wrapped = popup->Finished;
    popup->Finished = [&] {
        ++finished;
        wrapped();
    };
    const LONG bottom = popup->WorkArea().bottom;

    EXPECT_EQ(popup->HeightTwips(), frmNotification::kStartHeightTwips);
    EXPECT_EQ(WindowRect(hwnd).bottom - WindowRect(hwnd).top, popup->TwipsToPixelsY(10));
    EXPECT_EQ(popup->TimerInterval(), frmNotification::kStepInterval);

    int grow = 0;
    LONG lastHeight = 0;
    while (popup->phase() == frmNotification::kGrowing && grow < 1000) {
        popup->tmrPopupController_Timer();
        ++grow;
        RECT r = WindowRect(hwnd);
        EXPECT_EQ(r.bottom, bottom);
        EXPECT_GE(r.bottom - r.top, lastHeight);
        lastHeight = r.bottom - r.top;
    }
    const int full = popup->FullHeightTwips();
    EXPECT_EQ(grow, (full - 10 + 19) / 20);  // 34 steps of 20 twips at 96 dpi
    EXPECT_EQ(lastHeight, popup->TwipsToPixelsY(full));
    EXPECT_EQ(popup->TimerInterval(), frmNotification::kDisplayTime);

    popup->tmrPopupController_Timer();  // the display time is over
    EXPECT_EQ(popup->TimerInterval(), frmNotification::kStepInterval);
    EXPECT_EQ(popup->HeightTwips(), full - 20);
    EXPECT_EQ(WindowRect(hwnd).bottom, bottom);

    int shrink = 1 + RunToEnd();
    EXPECT_EQ(shrink, full / 20);  // unloads once below 20 twips
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(ns::NotificationWindow(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Notifications, RequestsKeepTheirOwnCopyOfTheIcon) {
    HICON mine = CopyIcon(LoadIconW(nullptr, IDI_INFORMATION));
    ns::AddNotification(L"k", L"T", L"D", true, true, mine, L"");
    DestroyIcon(mine);
    ASSERT_TRUE(ns::QueuedRequest(0).Icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(ns::QueuedRequest(0).Icon->get(), &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(Notifications, CleaningRunPopup) {
    ns::AddRunFinishedNotification(L"www", nv::kAppTitle, nv::engine::PopupDescription(12, 3.0 * 1048576));
    ASSERT_EQ(ns::QueuedCount(), 1u);
    const nv::cNotificationRequest& r = ns::QueuedRequest(0);
    EXPECT_EQ(r.Key, L"www");
    EXPECT_EQ(r.Title, L"Norvale System Cleaner");
    EXPECT_EQ(r.Description,
              L"Norvale System Cleaner Clean is done! Cleaned Registry Keys: 12 Released HD Space:3.00MB");
    EXPECT_TRUE(r.EnableClickEvent);
    EXPECT_FALSE(r.Icon);
    EXPECT_EQ(r.SoundFileLocation, nv::AppFile(L"Sounds\\Message.wav"));
    EXPECT_EQ(ns::QueuedKeys()[0], r.Description);  // queued separately
}

}  // namespace
