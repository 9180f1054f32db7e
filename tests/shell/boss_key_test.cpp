// The boss key on the real main window, with browser and Explorer windows
// the test makes itself and windows of another process; the tray icon
// brought back by a new taskbar's message from another process.
#include "shell/boss_key.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "foundation/app_path.h"
#include "other_process.h"
#include "sandbox.h"
#include "shell/main_window.h"
#include "ui/ui.h"

using namespace nv;
using namespace nv::IEWindows;

namespace {

HWND MakeWindow(const wchar_t* cls, int show, HWND parent = nullptr) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    static int x = 40;
    x += 20;
    HWND h = CreateWindowW(cls, L"", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, x, x, 300, 200, parent, nullptr,
                           nullptr, nullptr);
    if (show >= 0) ShowWindow(h, show);
    return h;
}

RECT NormalRect(HWND h) {
    WINDOWPLACEMENT wp{sizeof wp};
    GetWindowPlacement(h, &wp);
    return wp.rcNormalPosition;
}

class BossKey : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        nvtest::WriteText(dir_ / L"prisd.dat", "[Options]\r\nbosskey=1\r\n");
        main_ = frmMainCode::Load()->hwnd();
        frmMainCode::Instance()->Show();
        // Normal, maximised, minimised, and one hidden from the start.
        browsers_ = {MakeWindow(L"IEFrame", SW_SHOWNORMAL), MakeWindow(L"CabinetWClass", SW_SHOWMAXIMIZED),
                     MakeWindow(L"CabinetWClass", SW_SHOWMINIMIZED), MakeWindow(L"IEFrame", -1)};
        other_ = MakeWindow(L"MozillaWindowClass", SW_SHOWNORMAL);
        child_ = MakeWindow(L"IEFrame", SW_SHOW, other_);
        for (HWND h : browsers_) rects_.push_back(NormalRect(h));
    }
    void TearDown() override {
        for (HWND h : browsers_) DestroyWindow(h);
        DestroyWindow(other_);
        frmMainCode::Unload();
        SetAppFolderForTests(L"");
    }
    void HotKey(int id, UINT modifiers) { SendMessageW(main_, WM_HOTKEY, id, MAKELPARAM(modifiers, 'Z')); }
    void Hide() { HotKey(kHideHotKey, kHideModifiers); }
    void Restore() { HotKey(kRestoreHotKey, kRestoreModifiers); }
    // Each window the key hid back where it was, in the state it had; the
    // one hidden from the start stays hidden.
    void ExpectRestored(const std::string& where) {
        for (size_t i = 0; i < 3; ++i) {
            RECT now = NormalRect(browsers_[i]);
            EXPECT_TRUE(IsWindowVisible(browsers_[i]) && EqualRect(&now, &rects_[i])) << where << " " << i;
        }
        EXPECT_TRUE(IsZoomed(browsers_[1]) && IsIconic(browsers_[2])) << where;
        EXPECT_FALSE(IsWindowVisible(browsers_[3])) << where;
    }
    void ExpectHidden(const std::string& where) {
        for (HWND h : browsers_) EXPECT_FALSE(IsWindowVisible(h)) << where;
        for (HWND h : {other_, child_, main_}) EXPECT_TRUE(IsWindowVisible(h)) << where;
    }

    nvtest::ScratchDir dir_{L"boss"};
    HWND main_ = nullptr, other_ = nullptr, child_ = nullptr;
    std::vector<HWND> browsers_;
    std::vector<RECT> rects_;
};

TEST_F(BossKey, HotKeysHideAndRestoreBrowserAndExplorerWindows) {
    ASSERT_TRUE(BossKeyEnabled());
    // Only the two exact combinations act.
    const std::pair<int, UINT> wrong[] = {{kHideHotKey, kRestoreModifiers}, {kRestoreHotKey, kHideModifiers},
                                          {1, kHideModifiers}, {kHideHotKey, MOD_WIN | MOD_CONTROL}};
    for (const auto& [id, modifiers] : wrong) HotKey(id, modifiers);
    EXPECT_TRUE(IsWindowVisible(browsers_[0]));

    Hide();
    ExpectHidden("hidden");
    ASSERT_EQ(HiddenWindows().size(), 4u);  // the three visible windows and the empty end
    EXPECT_EQ(HiddenWindows().back().window, nullptr);
    EXPECT_EQ(HiddenWindows()[0].placement.length, 44u);
    Restore();
    ExpectRestored("restored");
    // Hidden since by someone else: a second restore leaves it so.
    ShowWindow(browsers_[0], SW_HIDE);
    Restore();
    EXPECT_FALSE(IsWindowVisible(browsers_[0]));
    ShowWindow(browsers_[0], SW_SHOWNORMAL);
    ExpectRestored("restored twice");

    // A second press keeps what the first hid: the restore still brings
    // every window back in its state.
    Hide();
    Hide();
    ExpectHidden("hidden twice");
    Restore();
    ExpectRestored("after hiding twice");

    // A window closed since it was hidden is passed over.
    Hide();
    DestroyWindow(browsers_[0]);
    Restore();
    for (size_t i = 1; i < 3; ++i) EXPECT_TRUE(IsWindowVisible(browsers_[i])) << i;

    // Nothing to hide: the list is empty and a restore touches nothing.
    for (HWND h : browsers_) DestroyWindow(h);
    Hide();
    EXPECT_EQ(HiddenWindows().size(), 1u);
    browsers_ = {MakeWindow(L"IEFrame", -1)};
    Restore();
    EXPECT_FALSE(IsWindowVisible(browsers_[0]));
}

TEST_F(BossKey, OffUnregistersAndLeavesTheWindowProcedureAsItWas) {
    // Windows+Z and Windows+Shift+Z belong to the main window while on.
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, kHideModifiers, kHotKeyVk));
    EXPECT_FALSE(RegisterHotKey(nullptr, 2, kRestoreModifiers, kHotKeyVk));
    Hide();
    DisableBossKey(main_);
    EXPECT_FALSE(BossKeyEnabled());
    // Hidden windows stay hidden, and the hot-key message does nothing now.
    Restore();
    ExpectHidden("off");
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, kHideModifiers, kHotKeyVk));
    EXPECT_TRUE(RegisterHotKey(nullptr, 2, kRestoreModifiers, kHotKeyVk));
    UnregisterHotKey(nullptr, 1);
    UnregisterHotKey(nullptr, 2);

    // On twice, off once: the window's own procedure is back, exactly; off
    // when it was never on changes nothing either.
    LONG_PTR own = GetWindowLongPtrW(main_, GWLP_WNDPROC);
    EnableBossKey(main_);
    EnableBossKey(main_);
    Restore();
    ExpectRestored("on again");
    for (int i = 0; i < 2; ++i) {
        DisableBossKey(main_);
        EXPECT_EQ(GetWindowLongPtrW(main_, GWLP_WNDPROC), own);
    }
}

TEST_F(BossKey, TheKeyboardReachesTheHotKey) {
    // Windows+Z typed, through the system's input queue.
    INPUT keys[4] = {};
    const std::pair<WORD, DWORD> strokes[] = {{VK_LWIN, 0}, {'Z', 0}, {'Z', KEYEVENTF_KEYUP}, {VK_LWIN, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = strokes[i].first;
        keys[i].ki.dwFlags = strokes[i].second;
    }
    SendInput(4, keys, sizeof(INPUT));
    for (int i = 0; i < 50 && IsWindowVisible(browsers_[0]); ++i, Sleep(20)) ui::PumpMessages();
    ExpectHidden("typed");
}

// The windows the key is for belong to other programs: the placement call
// is refused across processes, and the plain show call hides and shows them.
TEST_F(BossKey, WindowsOfAnotherProcessAreHiddenAndOnlyThoseComeBack) {
    nvtest::OtherProcess other(L"window CabinetWClass:1 CabinetWClass:3 IEFrame:6 IEFrame:0");
    ASSERT_TRUE(other.started());
    std::vector<HWND> w;
    ASSERT_TRUE(nvtest::PumpUntil([&] { return (w = other.Windows()).size() == 4; }));
    auto visible = [&] {
        std::string v;
        for (HWND h : w) v += IsWindowVisible(h) ? '1' : '0';
        return v;
    };
    ASSERT_EQ(visible(), "1110");
    ASSERT_TRUE(IsZoomed(w[1]) && IsIconic(w[2]));
    Hide();
    EXPECT_TRUE(nvtest::PumpUntil([&] { return visible() == "0000"; })) << visible();
    ExpectHidden("with another process");
    Restore();
    EXPECT_TRUE(nvtest::PumpUntil([&] { return visible() == "1110"; })) << visible();
    EXPECT_TRUE(IsZoomed(w[1]) && IsIconic(w[2]));
    ExpectRestored("with another process");
}

TEST_F(BossKey, TheTrayIconComesBackWhenANewTaskbarSaysSo) {
    // The icon is there when, and only when, it can be changed.
    auto iconThere = [&] {
        NOTIFYICONDATAW probe{};
        probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
        probe.hWnd = main_;
        probe.uID = 1;
        return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    };
    ASSERT_TRUE(iconThere()) << "no notification area in this prefix";
    // The taskbar went away with its icons, and a new one says so.
    NOTIFYICONDATAW gone{};
    gone.cbSize = NOTIFYICONDATAW_V1_SIZE;
    gone.hWnd = main_;
    gone.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &gone);
    ASSERT_FALSE(iconThere());
    nvtest::OtherProcess taskbar(L"broadcast TaskbarCreated");
    ASSERT_TRUE(taskbar.started());
    EXPECT_EQ(taskbar.Wait(), 0u);
    EXPECT_TRUE(nvtest::PumpUntil(iconThere));
    // Other registered messages do nothing of the kind.
    Shell_NotifyIconW(NIM_DELETE, &gone);
    nvtest::OtherProcess(L"broadcast SomethingElseCreated").Wait();
    for (int i = 0; i < 20; ++i, Sleep(10)) ui::PumpMessages();
    EXPECT_FALSE(iconThere());
}

}  // namespace
