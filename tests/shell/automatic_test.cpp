// The program cleaning on its own: tray clicks and menu, the weekly
// schedule driven tick by tick with made-up local times, and the clean at
// session end.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/apppath.h"
#include "recorders.h"
#include "sandbox.h"
#include "settings/Frmoption.h"
#include "shell/IEWindows.h"
#include "shell/dialogs.h"
#include "shell/frmMainCode.h"
#include "shell/frmNotification.h"
#include "shell/mNotificationSystem.h"
#include "shell/resource.h"
#include "shell/routines.h"
#include "shell/schedule.h"
#include "shell/ui.h"

using namespace nv;
namespace ns = nv::mNotificationSystem;

namespace {

constexpr char kOneItem[] = "[WINDOWS]\r\nsearch=1\r\n";

// A local time in March 2024, whose 3rd is a Sunday.
SYSTEMTIME At(WORD day, WORD hour, WORD minute, WORD second = 0) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = day;
    t.wDayOfWeek = static_cast<WORD>((day - 3) % 7);
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

// Runs a function when the message loop next gets to it: from inside a run
// that yields, or from inside a modal loop.
class Later {
public:
    Later() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NvTestLater";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(L"NvTestLater", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~Later() { DestroyWindow(hwnd_); }
    void Post(std::function<void()> f) {
        pending() = std::move(f);
        PostMessageW(hwnd_, WM_APP, 0, 0);
    }
    // A timer, for modal loops that only dispatch what they expect.
    void Timer(std::function<void()> f) {
        pending() = std::move(f);
        SetTimer(hwnd_, 1, 50, nullptr);
    }

private:
    static std::function<void()>& pending() {
        static std::function<void()> f;
        return f;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP || msg == WM_TIMER) {
            KillTimer(h, 1);
            if (auto f = std::exchange(pending(), nullptr)) f();
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
    HWND hwnd_;
};

class Automatic : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        frmMainCode::SetExitHook([this] { ++exits_; });
    }
    void TearDown() override {
        frmMainCode::Unload();
        frmMainCode::SetExitHook(nullptr);
        ClearPopups();
        SetAppFolderForTests(L"");
    }
    frmMainCode* Load(const std::string& profile) {
        nvtest::WriteText(dir_ / L"prisd.dat", profile);
        frmMainCode::Unload();
        frmMainCode* w = frmMainCode::Load();
        EXPECT_NE(w, nullptr);
        ClearPopups();
        return w;
    }
    static frmMainCode& W() { return *frmMainCode::Instance(); }
    static int Rows() { return ListView_GetItemCount(W().control(ids::ListView1)); }
    static std::wstring LastRow() {
        wchar_t buf[256] = {};
        ListView_GetItemText(W().control(ids::ListView1), Rows() - 1, 0, buf, 256);
        return buf;
    }
    static bool Popped() { return ns::QueuedCount() > 0 || ns::NotificationWindow(); }
    static void ClearPopups() {
        if (auto* popup = ns::NotificationWindow()) popup->Unload();
        ns::CreateNotificationQueue();
    }
    // What an unattended run leaves behind: its rows, a popup and no box,
    // the flag back at 0, the window in the tray. Resets for the next one.
    void ExpectUnattendedRunAndReset(const std::string& where) {
        EXPECT_GT(Rows(), 0) << where;
        EXPECT_EQ(LastRow(), L"Task complete Successfully!") << where;
        EXPECT_TRUE(Popped()) << where;
        EXPECT_TRUE(prompts_.shown.empty()) << where;
        EXPECT_EQ(W().state().unattended, 0) << where;
        EXPECT_FALSE(IsWindowVisible(W().hwnd())) << where;
        Reset();
    }
    void ExpectNoRunAndReset(const std::string& where) {
        EXPECT_EQ(Rows(), 0) << where;
        EXPECT_FALSE(Popped()) << where;
        EXPECT_TRUE(prompts_.shown.empty()) << where;
        Reset();
    }
    void Reset() {
        W().ClearRows();
        ClearPopups();
        prompts_.shown.clear();
        W().Show();
    }

    nvtest::ScratchDir dir_{L"auto"};
    int exits_ = 0;
    nvtest::RecordingPrompter prompts_;
    nvtest::RecordingLauncher launcher_;
};

TEST(Schedule, TimeOfDayReadsTimesOnly) {
    const std::pair<const wchar_t*, std::optional<int>> cases[] = {
        {L"9:30", 570},         {L"09:30", 570},      {L"0:00", 0},           {L"23:30", 1410},
        {L"9:30:59", 570},      {L"9:30 PM", 1290},   {L"", std::nullopt},    {L"   ", std::nullopt},
        {L"abc", std::nullopt}, {L"25:00", std::nullopt}, {L"9:60", std::nullopt},
        {L"3/4/2024", std::nullopt}, {L"3/4/2024 9:30", std::nullopt},
    };
    for (const auto& [text, minutes] : cases) EXPECT_EQ(schedule::TimeOfDay(text), minutes) << nvtest::Narrow(text);
}

TEST_F(Automatic, ScheduleStartsOneRunPerScheduledMinute) {
    Load(std::string(kOneItem) + "[Options]\r\nCleanDays=0100000\r\nCleanTime=9:30\r\n");
    W().Show();
    struct Tick {
        SYSTEMTIME at;
        bool runs;
        const char* what;
    };
    const Tick ticks[] = {
        {At(4, 9, 29, 59), false, "Monday, a second early"},
        {At(4, 9, 30, 0), true, "Monday 9:30"},
        {At(4, 9, 30, 30), false, "second tick of the minute"},
        {At(4, 9, 30, 59), false, "third tick of the minute"},
        {At(4, 9, 31, 0), false, "the minute after"},
        {At(5, 9, 30, 0), false, "Tuesday"},
        {At(3, 9, 30, 0), false, "Sunday"},
        {At(4, 21, 30, 0), false, "evening"},
        {At(11, 9, 30, 29), true, "the next Monday"},
    };
    for (const Tick& t : ticks) {
        EXPECT_EQ(W().ScheduleTick(t.at), t.runs) << t.what;
        if (t.runs) ExpectUnattendedRunAndReset(t.what);
        else ExpectNoRunAndReset(t.what);
    }
}

TEST_F(Automatic, ExitAfterCleaningEndsAScheduledRun) {
    Load(std::string(kOneItem) + "[Options]\r\nexit=1\r\nCleanDays=0000001\r\nCleanTime=23:30\r\n");
    EXPECT_TRUE(W().ScheduleTick(At(9, 23, 30, 40)));
    EXPECT_EQ(exits_, 1);
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_FALSE(Popped());
}

TEST_F(Automatic, UnreadableScheduleNeverRuns) {
    const std::pair<const char*, const char*> schedules[] = {
        {"0000000", "9:30"}, {"", "9:30"},        {"1111111", ""},      {"1111111", "abc"},
        {"1111111", "25:00"}, {"1111111", "3/4/2024"}, {"x x x x", "9:30"}, {"2222222", "9:30"},
    };
    for (const auto& [days, time] : schedules) {
        Load(std::string(kOneItem) + "[Options]\r\nCleanDays=" + days + "\r\nCleanTime=" + time + "\r\n");
        for (WORD day = 3; day <= 9; ++day) {
            for (WORD hour : {0, 9}) {
                std::string what = std::string(days) + " " + time + " day " + std::to_string(day);
                EXPECT_FALSE(W().ScheduleTick(At(day, hour, hour ? 30 : 0))) << what;
                ExpectNoRunAndReset(what);
            }
        }
    }
}

TEST_F(Automatic, NothingStartsInsideARun) {
    Load(std::string(kOneItem) + "[Options]\r\nCleanDays=1111111\r\nCleanTime=9:30\r\nWindowsShutdown=1\r\n");
    W().Show();
    // While a watched run yields: a due tick, tray "Clean Now", a session end.
    std::vector<bool> ticks;
    LRESULT query = FALSE;
    Later later;
    later.Post([&] {
        ticks.push_back(W().ScheduleTick(At(4, 9, 30)));
        W().OnCommand(ids::cleannow2);
        query = SendMessageW(W().hwnd(), WM_QUERYENDSESSION, 0, 0);
    });
    W().OnCommand(ids::Command1);
    EXPECT_EQ(ticks, std::vector<bool>{false});
    EXPECT_EQ(query, TRUE);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].title, L"Task Complete");
    EXPECT_FALSE(Popped());
    EXPECT_TRUE(IsWindowVisible(W().hwnd()));
    Reset();

    // A run in another process refuses the tick too.
    HANDLE held = nullptr, release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        held = CreateMutexW(nullptr, TRUE, L"Local\\NorvaleSystemCleaner.CleaningRun");
        SetEvent(ready);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(held);
        CloseHandle(held);
    });
    WaitForSingleObject(ready, INFINITE);
    EXPECT_FALSE(W().ScheduleTick(At(4, 9, 30, 0)));
    ExpectNoRunAndReset("another process runs");
    SetEvent(release);
    other.join();
    CloseHandle(release);
    CloseHandle(ready);

    // A refused tick does not use up the minute.
    EXPECT_TRUE(W().ScheduleTick(At(4, 9, 30, 30)));
    ExpectUnattendedRunAndReset("after the refusals");
}

TEST_F(Automatic, SessionEndCleansOnceWhenTheOptionIsOn) {
    struct Message {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        bool runs;
    };
    struct Case {
        const char* what;
        const char* option;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {"shutdown", "1", {{WM_QUERYENDSESSION, 0, 0, true}, {WM_ENDSESSION, TRUE, 0, false}}},
        {"log-off", "1.0", {{WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, true}, {WM_ENDSESSION, TRUE, 0, false}}},
        {"cancelled, then again",
         "1",
         {{WM_QUERYENDSESSION, 0, 0, true},
          {WM_ENDSESSION, FALSE, 0, false},
          {WM_QUERYENDSESSION, 0, 0, true},
          {WM_QUERYENDSESSION, 0, 0, false}}},
        {"end without a query", "1", {{WM_ENDSESSION, TRUE, 0, true}}},
        {"application asked to close",
         "1",
         {{WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, false}, {WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, false}}},
        {"option off", "0", {{WM_QUERYENDSESSION, 0, 0, false}, {WM_ENDSESSION, TRUE, 0, false}}},
        {"option missing", nullptr, {{WM_QUERYENDSESSION, 0, 0, false}}},
    };
    for (const Case& c : cases) {
        std::string profile = kOneItem;
        if (c.option) profile += std::string("[Options]\r\nWindowsShutdown=") + c.option + "\r\n";
        Load(profile);
        W().Show();
        for (const Message& m : c.messages) {
            LRESULT r = SendMessageW(W().hwnd(), m.msg, m.wp, m.lp);
            // The session is never refused, only held while the run works.
            if (m.msg == WM_QUERYENDSESSION) {
                EXPECT_EQ(r, TRUE) << c.what;
            }
            if (m.runs) ExpectUnattendedRunAndReset(c.what);
            else ExpectNoRunAndReset(c.what);
        }
    }
}

TEST_F(Automatic, TrayClicksShowTheWindowOrOpenTheMenu) {
    Load("");
    HWND h = W().hwnd();
    // Reads the tray menu while it is open, then closes it.
    std::vector<std::wstring> menu;
    int menusOpened = 0;
    auto readMenu = [&] {
        HWND popup = FindWindowW(L"#32768", nullptr);
        HMENU m = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
        if (!m) return;
        ++menusOpened;
        menu.clear();
        for (int i = 0; i < GetMenuItemCount(m); ++i) {
            wchar_t buf[128] = {};
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_FTYPE | MIIM_STRING;
            mi.dwTypeData = buf;
            mi.cch = 128;
            GetMenuItemInfoW(m, i, TRUE, &mi);
            menu.push_back((mi.fType & MFT_SEPARATOR) ? L"-" : buf);
        }
        EndMenu();
    };
    Later later;

    // Left button up: the window comes back in normal state, minimised or hidden.
    W().Show();
    ShowWindow(h, SW_MINIMIZE);
    SendMessageW(h, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_FALSE(IsIconic(h));
    ShowWindow(h, SW_HIDE);
    SendMessageW(h, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(h));

    // Right button up: the tray menu at the mouse.
    ShowWindow(h, SW_HIDE);
    later.Timer(readMenu);
    SendMessageW(h, WM_MOUSEMOVE, 1, WM_RBUTTONUP);
    EXPECT_EQ(menusOpened, 1);
    EXPECT_EQ(menu, (std::vector<std::wstring>{L"Norvale System Cleaner On the Web", L"Help", L"-", L"Options", L"-",
                                               L"Settings", L"-", L"Restore", L"-", L"Clean Now", L"-", L"Exit"}));

    // Any other event does nothing.
    for (UINT event : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_MBUTTONUP}) {
        later.Timer(readMenu);
        SendMessageW(h, WM_MOUSEMOVE, 1, event);
        ui::PumpMessages();
        EXPECT_FALSE(IsWindowVisible(h)) << event;
    }
    Sleep(100);
    ui::PumpMessages();
    EXPECT_EQ(menusOpened, 1);

    // A real mouse move over the window's top row at x = 517 is a move.
    W().Show();
    POINT pt = {static_cast<LONG>(WM_RBUTTONUP), 0};
    ClientToScreen(h, &pt);
    SetCursorPos(pt.x, pt.y);
    POINT now;
    GetCursorPos(&now);
    ASSERT_EQ(now.x, pt.x);
    later.Timer(readMenu);
    PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(WM_RBUTTONUP, 0));
    ui::PumpMessages();
    Sleep(100);
    ui::PumpMessages();
    EXPECT_EQ(menusOpened, 1);
}

TEST_F(Automatic, TrayMenuCommands) {
    Load(kOneItem);
    HWND h = W().hwnd();

    W().Show();
    ShowWindow(h, SW_MINIMIZE);
    W().OnCommand(ids::restore1);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_FALSE(IsIconic(h));

    // "Clean Now" with the window in view: the run shows on the status
    // panel, ends with a popup, and the window goes to the tray.
    W().OnCommand(ids::Image1);
    W().OnCommand(ids::cleannow2);
    EXPECT_TRUE(W().StatusPanelVisible());
    ExpectUnattendedRunAndReset("tray Clean Now");
    // A following run from the button ends with the box again.
    W().OnCommand(ids::Command1);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].title, L"Task Complete");
    Reset();

    W().OnCommand(ids::help2);
    W().OnCommand(ids::web);
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_NE(launcher_.started[0].commandLine.find(L"\\hh.exe"), std::wstring::npos);
    EXPECT_EQ(launcher_.opened, std::vector<std::wstring>{kWebsite});

    // "Options" opens the dialog modal, over the hidden window too.
    ShowWindow(h, SW_HIDE);
    std::wstring title;
    Later later;
    later.Timer([&] {
        HWND dlg = GetLastActivePopup(h);
        wchar_t buf[64] = {};
        if (dlg != h) GetWindowTextW(dlg, buf, 64);
        title = buf;
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    W().OnCommand(ids::options1);
    EXPECT_EQ(title, L"Options");

    W().OnCommand(ids::exit1);
    EXPECT_EQ(exits_, 1);
}

TEST_F(Automatic, OptionsOkAppliesBossKeyAndScheduleAtOnce) {
    Load("[Options]\r\nbosskey=0\r\nCleanDays=0000000\r\n");
    ASSERT_FALSE(IEWindows::BossKeyEnabled());
    Frmoption::Host host = dialogs::OptionsHost();
    HWND dlg = Frmoption::Create(W().hwnd(), host);
    for (int id : {Frmoption::Check1, Frmoption::chkWednesday})
        SendMessageW(Frmoption::Control(dlg, id), BM_CLICK, 0, 0);
    SendMessageW(Frmoption::Control(dlg, Frmoption::cmbStartTime), CB_SETCURSEL, 3, 0);
    SendMessageW(Frmoption::Control(dlg, IDOK), BM_CLICK, 0, 0);

    EXPECT_TRUE(IEWindows::BossKeyEnabled());
    // Windows+Z belongs to the main window now.
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_WIN, 'Z'));
    EXPECT_EQ(W().state().dayFlags[3], L"1");
    EXPECT_EQ(W().state().scheduledTime, L"1:30");
    EXPECT_TRUE(W().ScheduleTick(At(6, 1, 30)));
    ExpectUnattendedRunAndReset("the new schedule");
}

}  // namespace
