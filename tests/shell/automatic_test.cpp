// The program cleaning on its own: tray clicks and menu, the weekly
// schedule driven tick by tick with made-up local times, the clean at
// session end.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/app_path.h"
#include "main_window_fixture.h"
#include "recorders.h"
#include "sandbox.h"
#include "settings/options_dialog.h"
#include "shell/boss_key.h"
#include "shell/dialog_openers.h"
#include "shell/main_window.h"
#include "shell/notification_popup.h"
#include "shell/notifications.h"
#include "ui/resource.h"
#include "shell/schedule.h"
#include "ui/ui.h"

using namespace nv;
namespace ns = nv::mNotificationSystem;

namespace {

constexpr char kOneItem[] = "[WINDOWS]\r\nsearch=1\r\n[Options]\r\n";

// A local time in March 2024, whose 3rd is a Sunday.
SYSTEMTIME At(WORD day, WORD hour, WORD minute, WORD second = 0) {
    return {2024, 3, static_cast<WORD>((day - 3) % 7), day, hour, minute, second, 0};
}

// Runs a function from the message loop: inside a run that yields, or
// (after a short delay) inside a modal loop.
void Later(std::function<void()> f, UINT delay = 0) {
    static std::function<void()> pending;
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg != WM_APP && msg != WM_TIMER) return DefWindowProcW(h, msg, wp, lp);
            KillTimer(h, 1);
            if (auto g = std::exchange(pending, nullptr)) g();
            return 0;
        };
        wc.lpszClassName = L"NvTestLater";
        RegisterClassW(&wc);
        return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }();
    pending = std::move(f);
    if (delay) SetTimer(window, 1, delay, nullptr);
    else PostMessageW(window, WM_APP, 0, 0);
}

class Automatic : public nvtest::MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        ClearPopups();
    }
    frmMainCode& Load(const std::string& profile) {
        nvtest::WriteText(dir_ / L"prisd.dat", profile);
        frmMainCode::Unload();
        frmMainCode::Load()->Show();
        ClearPopups();
        return W();
    }
    static frmMainCode& W() { return *frmMainCode::Instance(); }
    static bool Popped() { return ns::QueuedCount() > 0 || ns::NotificationWindow(); }
    static void ClearPopups() {
        if (auto* popup = ns::NotificationWindow()) popup->Unload();
        ns::CreateNotificationQueue();
    }
    // Whether an unattended run happened since the last call: its rows, a
    // popup and no box, the flag back at 0, the window in the tray.
    bool RanUnattended(const std::string& where) {
        HWND list = W().control(ids::ListView1);
        int rows = ListView_GetItemCount(list);
        if (rows > 0) {
            wchar_t last[64] = {};
            ListView_GetItemText(list, rows - 1, 0, last, 64);
            EXPECT_STREQ(last, L"Task complete Successfully!") << where;
            EXPECT_TRUE(Popped()) << where;
            EXPECT_EQ(W().state().unattended, 0) << where;
            EXPECT_FALSE(IsWindowVisible(W().hwnd())) << where;
        } else {
            EXPECT_FALSE(Popped()) << where;
        }
        EXPECT_TRUE(prompts_.shown.empty()) << where;
        W().ClearRows();
        ClearPopups();
        W().Show();
        return rows > 0;
    }
};

TEST(Schedule, TimeOfDayReadsTimesOnly) {
    const std::pair<const wchar_t*, std::optional<int>> cases[] = {
        {L"9:30", 570},    {L"09:30", 570},      {L"0:00", 0},          {L"23:30", 1410},   {L"9:30:59", 570},
        {L"9:30 PM", 1290}, {L"", std::nullopt}, {L"abc", std::nullopt}, {L"25:00", std::nullopt},
        {L"9:60", std::nullopt}, {L"3/4/2024", std::nullopt}, {L"3/4/2024 9:30", std::nullopt},
    };
    for (const auto& [text, minutes] : cases) EXPECT_EQ(schedule::TimeOfDay(text), minutes) << nvtest::Narrow(text);
}

TEST_F(Automatic, ScheduleStartsOneRunPerScheduledMinute) {
    Load(std::string(kOneItem) + "CleanDays=0100000\r\nCleanTime=9:30\r\n");
    const std::tuple<SYSTEMTIME, bool, const char*> ticks[] = {
        {At(4, 9, 29, 59), false, "Monday, a second early"}, {At(4, 9, 30, 0), true, "Monday 9:30"},
        {At(4, 9, 30, 30), false, "second tick of the minute"}, {At(4, 9, 30, 59), false, "third tick"},
        {At(4, 9, 31, 0), false, "the minute after"},         {At(5, 9, 30, 0), false, "Tuesday"},
        {At(3, 9, 30, 0), false, "Sunday"},                   {At(4, 21, 30, 0), false, "evening"},
        {At(11, 9, 30, 29), true, "the next Monday"},
    };
    for (const auto& [at, runs, what] : ticks) {
        EXPECT_EQ(W().ScheduleTick(at), runs) << what;
        EXPECT_EQ(RanUnattended(what), runs) << what;
    }
    // "Exit after cleaning" ends the program after a scheduled run too.
    Load(std::string(kOneItem) + "exit=1\r\nCleanDays=0000001\r\nCleanTime=23:30\r\n");
    EXPECT_TRUE(W().ScheduleTick(At(9, 23, 30, 40)));
    EXPECT_EQ(exits_, 1);
}

TEST_F(Automatic, UnreadableScheduleNeverRuns) {
    const std::pair<const char*, const char*> schedules[] = {
        {"0000000", "9:30"},  {"", "9:30"},          {"1111111", ""},       {"1111111", "abc"},
        {"1111111", "25:00"}, {"1111111", "3/4/2024"}, {"x x x x", "9:30"}, {"2222222", "9:30"},
    };
    for (const auto& [days, time] : schedules) {
        Load(std::string(kOneItem) + "CleanDays=" + days + "\r\nCleanTime=" + time + "\r\n");
        for (WORD day = 3; day <= 9; ++day)
            for (WORD hour : {0, 9}) EXPECT_FALSE(W().ScheduleTick(At(day, hour, hour ? 30 : 0))) << days << time;
        EXPECT_FALSE(RanUnattended(days));
    }
}

TEST_F(Automatic, NothingStartsInsideARun) {
    Load(std::string(kOneItem) + "CleanDays=1111111\r\nCleanTime=9:30\r\nWindowsShutdown=1\r\n");
    // While a watched run yields: a due tick, tray "Clean Now", a session end.
    std::vector<LRESULT> nested;
    Later([&] {
        nested.push_back(W().ScheduleTick(At(4, 9, 30)));
        W().OnCommand(ids::cleannow2);
        nested.push_back(SendMessageW(W().hwnd(), WM_QUERYENDSESSION, 0, 0));
    });
    W().OnCommand(ids::Command1);
    EXPECT_EQ(nested, (std::vector<LRESULT>{false, TRUE}));
    ASSERT_EQ(prompts_.shown.size(), 1u);  // the watched run's box, and no popup
    EXPECT_EQ(prompts_.shown[0].title, L"Task Complete");
    EXPECT_FALSE(Popped());
    prompts_.shown.clear();
    W().ClearRows();
    // The refused tick did not use up the minute.
    EXPECT_TRUE(W().ScheduleTick(At(4, 9, 30, 30)));
    EXPECT_TRUE(RanUnattended("after the refusals"));
}

TEST_F(Automatic, SessionEndCleansOnceWhenTheOptionIsOn) {
    constexpr UINT Q = WM_QUERYENDSESSION, E = WM_ENDSESSION;
    struct Message {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        bool runs;
    };
    const std::tuple<const char*, const char*, std::vector<Message>> cases[] = {
        {"shutdown", "1", {{Q, 0, 0, true}, {E, TRUE, 0, false}}},
        {"log-off", "1.0", {{Q, 0, ENDSESSION_LOGOFF, true}, {E, TRUE, ENDSESSION_LOGOFF, false}}},
        {"cancelled, then again", "1", {{Q, 0, 0, true}, {E, FALSE, 0, false}, {Q, 0, 0, true}, {Q, 0, 0, false}}},
        {"end without a query", "1", {{E, TRUE, 0, true}}},
        {"an application asked to close", "1", {{Q, 0, ENDSESSION_CLOSEAPP, false}, {E, 1, ENDSESSION_CLOSEAPP, false}}},
        {"option off", "0", {{Q, 0, 0, false}, {E, TRUE, 0, false}}},
        {"option missing", "", {{Q, 0, 0, false}}},
    };
    for (const auto& [what, option, messages] : cases) {
        Load(std::string(kOneItem) + "WindowsShutdown=" + option + "\r\n");
        for (const Message& m : messages) {
            // The session is never refused, only held while the run works.
            LRESULT r = SendMessageW(W().hwnd(), m.msg, m.wp, m.lp);
            EXPECT_EQ(r, m.msg == Q ? TRUE : 0) << what;
            EXPECT_EQ(RanUnattended(what), m.runs) << what;
        }
    }
}

TEST_F(Automatic, TrayClicksAndMenu) {
    HWND h = Load(kOneItem).hwnd();
    // Reads the tray menu while it is open, then closes it.
    std::vector<std::wstring> menu;
    int opened = 0;
    auto readMenu = [&] {
        HWND popup = FindWindowW(L"#32768", nullptr);  // a closed menu's window may linger hidden
        HMENU m = IsWindowVisible(popup) ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
        if (!m) return;
        ++opened;
        menu.clear();
        for (int i = 0; i < GetMenuItemCount(m); ++i) {
            wchar_t buf[128] = {};
            GetMenuStringW(m, i, buf, 128, MF_BYPOSITION);
            menu.push_back(GetMenuState(m, i, MF_BYPOSITION) & MF_SEPARATOR ? L"-" : buf);
        }
        EndMenu();
    };

    // Left button up: the window back in normal state, from minimised or hidden.
    for (int state : {SW_MINIMIZE, SW_HIDE}) {
        ShowWindow(h, state);
        SendMessageW(h, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
        EXPECT_TRUE(IsWindowVisible(h) && !IsIconic(h)) << state;
    }
    // Right button up: the tray menu; any other event: nothing.
    ShowWindow(h, SW_HIDE);
    for (UINT event : {WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_MBUTTONUP}) {
        Later(readMenu, 50);
        SendMessageW(h, WM_MOUSEMOVE, 1, event);
        EXPECT_FALSE(IsWindowVisible(h)) << event;
    }
    EXPECT_EQ(opened, 1);
    // A real mouse move over the window's top row at x = 517 is a move. The
    // pointer is put there and left to settle (the display echoes the move
    // back), so the move posted below carries it; on a loaded machine the
    // echo can come late, so a move that raced it is tried again.
    W().Show();
    POINT pt = {WM_RBUTTONUP, 0};
    ClientToScreen(h, &pt);
    bool quiet = false;
    for (int attempt = 0; attempt < 3 && !quiet; ++attempt) {
        for (int still = 0, i = 0; still < 3 && i < 50; ++i, Sleep(20)) {
            SetCursorPos(pt.x, pt.y);
            ui::PumpMessages();
            POINT now;
            GetCursorPos(&now);
            still = now.x == pt.x && now.y == pt.y ? still + 1 : 0;
        }
        int before = opened;
        Later(readMenu, 50);
        PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(WM_RBUTTONUP, 0));
        for (int i = 0; i < 5; ++i, Sleep(30)) ui::PumpMessages();
        quiet = opened == before;
    }
    EXPECT_TRUE(quiet) << "a real mouse move opened the tray menu";
    EXPECT_EQ(menu, (std::vector<std::wstring>{L"Norvale System Cleaner On the Web", L"Help", L"-", L"Options", L"-",
                                               L"Settings", L"-", L"Restore", L"-", L"Clean Now", L"-", L"Exit"}));

    // Restore; "Clean Now" in view shows on the status panel, then goes to
    // the tray; the next run from the button ends with the box again.
    ShowWindow(h, SW_MINIMIZE);
    W().OnCommand(ids::restore1);
    EXPECT_TRUE(IsWindowVisible(h) && !IsIconic(h));
    W().OnCommand(ids::Image1);
    W().OnCommand(ids::cleannow2);
    EXPECT_TRUE(W().StatusPanelVisible());
    EXPECT_TRUE(RanUnattended("tray Clean Now"));
    W().OnCommand(ids::Command1);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].title, L"Task Complete");

    // "Options" opens the dialog modal, over the hidden window too; "Exit" exits.
    ShowWindow(h, SW_HIDE);
    std::wstring title;
    Later(
        [&] {
            HWND dlg = GetLastActivePopup(h);
            title = dlg == h ? L"" : ui::GetText(dlg);
            PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        },
        50);
    W().OnCommand(ids::options1);
    EXPECT_EQ(title, L"Options");
    W().OnCommand(ids::exit1);
    EXPECT_EQ(exits_, 1);
}

TEST_F(Automatic, OptionsOkAppliesBossKeyAndScheduleAtOnce) {
    Load(std::string(kOneItem) + "bosskey=0\r\nCleanDays=0000000\r\n");
    ASSERT_FALSE(IEWindows::BossKeyEnabled());
    HWND dlg = Frmoption::Create(W().hwnd(), dialogs::OptionsHost());
    for (int id : {Frmoption::Check1, Frmoption::chkWednesday}) SendMessageW(Frmoption::Control(dlg, id), BM_CLICK, 0, 0);
    SendMessageW(Frmoption::Control(dlg, Frmoption::cmbStartTime), CB_SETCURSEL, 3, 0);
    SendMessageW(Frmoption::Control(dlg, IDOK), BM_CLICK, 0, 0);

    EXPECT_TRUE(IEWindows::BossKeyEnabled());
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));  // the main window holds Windows+Z
    EXPECT_TRUE(W().ScheduleTick(At(6, 1, 30)));
    EXPECT_TRUE(RanUnattended("the new schedule"));
}

}  // namespace
