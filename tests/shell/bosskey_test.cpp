// The boss key on the real main window, with browser and Explorer windows
// the test makes itself.
#include "shell/IEWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/apppath.h"
#include "sandbox.h"
#include "shell/frmMainCode.h"
#include "shell/ui.h"

using namespace nv;
using namespace nv::IEWindows;

namespace {

HWND MakeWindow(const wchar_t* cls, int x, int y, int show, HWND parent = nullptr) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    HWND h = CreateWindowW(cls, L"", style, x, y, 300, 200, parent, nullptr, wc.hInstance, nullptr);
    if (show >= 0) ShowWindow(h, show);
    return h;
}

WINDOWPLACEMENT Placement(HWND h) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(h, &wp);
    return wp;
}

class BossKey : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        nvtest::WriteText(dir_ / L"prisd.dat", "[Options]\r\nbosskey=1\r\n");
        main_ = frmMainCode::Load()->hwnd();
        frmMainCode::Instance()->Show();
        ie_ = MakeWindow(L"IEFrame", 100, 100, SW_SHOWNORMAL);
        maximized_ = MakeWindow(L"CabinetWClass", 120, 140, SW_SHOWMAXIMIZED);
        minimized_ = MakeWindow(L"CabinetWClass", 140, 160, SW_SHOWMINIMIZED);
        hiddenIe_ = MakeWindow(L"IEFrame", 60, 70, -1);
        other_ = MakeWindow(L"MozillaWindowClass", 200, 200, SW_SHOWNORMAL);
        child_ = MakeWindow(L"IEFrame", 5, 5, SW_SHOW, other_);
        for (HWND h : Browsers()) before_.push_back(Placement(h));
    }
    void TearDown() override {
        for (HWND h : {ie_, maximized_, minimized_, hiddenIe_, other_})
            if (IsWindow(h)) DestroyWindow(h);
        frmMainCode::Unload();
        SetAppFolderForTests(L"");
    }
    std::vector<HWND> Browsers() const { return {ie_, maximized_, minimized_, hiddenIe_}; }
    void HotKey(int id, UINT modifiers) { SendMessageW(main_, WM_HOTKEY, id, MAKELPARAM(modifiers, 'Z')); }
    void Hide() { HotKey(kHideHotKey, kHideModifiers); }
    void Restore() { HotKey(kRestoreHotKey, kRestoreModifiers); }
    // Each browser window back where it was, in the state it had; the
    // window hidden from the start comes back shown, as its placement says.
    void ExpectRestored(const std::string& where) {
        for (size_t i = 0; i < Browsers().size(); ++i) {
            HWND h = Browsers()[i];
            EXPECT_TRUE(IsWindowVisible(h)) << where << " " << i;
            WINDOWPLACEMENT now = Placement(h);
            EXPECT_TRUE(EqualRect(&now.rcNormalPosition, &before_[i].rcNormalPosition)) << where << " " << i;
        }
        EXPECT_TRUE(IsZoomed(maximized_)) << where;
        EXPECT_TRUE(IsIconic(minimized_)) << where;
        EXPECT_FALSE(IsZoomed(ie_) || IsIconic(ie_)) << where;
    }
    void ExpectHidden(const std::string& where) {
        for (HWND h : Browsers()) EXPECT_FALSE(IsWindowVisible(h)) << where;
        EXPECT_TRUE(IsWindowVisible(other_)) << where;
        EXPECT_TRUE(IsWindowVisible(child_)) << where;
        EXPECT_TRUE(IsWindowVisible(main_)) << where;
    }

    nvtest::ScratchDir dir_{L"boss"};
    HWND main_ = nullptr, ie_ = nullptr, maximized_ = nullptr, minimized_ = nullptr, hiddenIe_ = nullptr,
         other_ = nullptr, child_ = nullptr;
    std::vector<WINDOWPLACEMENT> before_;
};

TEST_F(BossKey, HotKeysHideAndRestoreBrowserAndExplorerWindows) {
    ASSERT_TRUE(BossKeyEnabled());
    // Only the two exact combinations act.
    const std::pair<int, UINT> wrong[] = {{kHideHotKey, kRestoreModifiers}, {kRestoreHotKey, kHideModifiers},
                                          {1, kHideModifiers}, {kHideHotKey, MOD_WIN | MOD_CONTROL}};
    for (const auto& [id, modifiers] : wrong) HotKey(id, modifiers);
    for (HWND h : {ie_, maximized_, minimized_}) EXPECT_TRUE(IsWindowVisible(h));

    Hide();
    ExpectHidden("hidden");
    ASSERT_EQ(HiddenWindows().size(), 5u);  // four windows and the empty end
    EXPECT_EQ(HiddenWindows().back().window, nullptr);
    for (size_t i = 0; i + 1 < HiddenWindows().size(); ++i) EXPECT_EQ(HiddenWindows()[i].placement.length, 44u);

    Restore();
    ExpectRestored("restored");
    Restore();  // the same placements again
    ExpectRestored("restored twice");

    // Hiding twice keeps the second list, read from hidden windows; the
    // restore still brings every window back in its state.
    Hide();
    Hide();
    ExpectHidden("hidden twice");
    Restore();
    ExpectRestored("after hiding twice");
}

TEST_F(BossKey, ClosedWindowsAreSkippedAndAnEmptyListRestoresNothing) {
    Hide();
    DestroyWindow(ie_);
    Restore();
    for (HWND h : {maximized_, minimized_, hiddenIe_}) EXPECT_TRUE(IsWindowVisible(h));

    // Nothing to hide: the list is empty and a restore touches nothing.
    for (HWND h : {maximized_, minimized_, hiddenIe_}) DestroyWindow(h);
    Hide();
    EXPECT_EQ(HiddenWindows().size(), 1u);
    HWND later = MakeWindow(L"IEFrame", 10, 10, -1);
    Restore();
    EXPECT_FALSE(IsWindowVisible(later));
    DestroyWindow(later);
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

    // On twice, off once: the window's own procedure is back, exactly.
    LONG_PTR own = GetWindowLongPtrW(main_, GWLP_WNDPROC);
    EnableBossKey(main_);
    EnableBossKey(main_);
    Restore();
    ExpectRestored("on again");
    DisableBossKey(main_);
    EXPECT_EQ(GetWindowLongPtrW(main_, GWLP_WNDPROC), own);
    // Off when it was never on changes nothing either.
    DisableBossKey(main_);
    EXPECT_EQ(GetWindowLongPtrW(main_, GWLP_WNDPROC), own);
    SendMessageW(main_, WM_COMMAND, 0, 0);  // still a working window
}

TEST_F(BossKey, TheKeyboardReachesTheHotKey) {
    // Windows+Z typed on the keyboard, through the system's input queue.
    auto key = [](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return in;
    };
    INPUT keys[] = {key(VK_LWIN, false), key('Z', false), key('Z', true), key(VK_LWIN, true)};
    SendInput(4, keys, sizeof(INPUT));
    for (int i = 0; i < 50 && IsWindowVisible(ie_); ++i) {
        Sleep(20);
        ui::PumpMessages();
    }
    ExpectHidden("typed");
    Restore();
}

}  // namespace
