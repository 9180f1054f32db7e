#include "shell/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "foundation/app_path.h"
#include "main_window_fixture.h"
#include "recorders.h"
#include "sandbox.h"
#include "shell/splash_window.h"
#include "shell/boss_key.h"
#include "ui/image_button.h"
#include "shell/about_dialog.h"
#include "shell/menus.h"
#include "ui/resource.h"
#include "shell/routines.h"
#include "shell/start.h"
#include "ui/ui.h"

using namespace nv;
using nvtest::RecordingLauncher;
using nvtest::RecordingPrompter;

namespace {

const std::wstring kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class MainWindow : public nvtest::MainWindowTest {
protected:
    void Profile(const std::string& text) { nvtest::WriteText(dir_ / L"prisd.dat", text); }
    frmMainCode* Load() {
        frmMainCode* w = frmMainCode::Load();
        EXPECT_NE(w, nullptr);
        return w;
    }
    std::wstring Text(int id) { return ui::GetText(frmMainCode::Instance()->control(id)); }
    std::wstring Cell(int row, int col) {
        wchar_t buf[512] = {};
        ListView_GetItemText(frmMainCode::Instance()->control(ids::ListView1), row, col, buf, 512);
        return buf;
    }
};

TEST_F(MainWindow, ControlsCarryTheirExactTexts) {
    frmMainCode* w = Load();
    EXPECT_EQ(ui::GetText(w->hwnd()), L"Norvale System Cleaner V6.00");
    EXPECT_FALSE(IsWindowVisible(w->hwnd()));

    const std::pair<int, const wchar_t*> texts[] = {
        {ids::Image1, L"Main"},          {ids::Image2, L"Clearner Settings"},
        {ids::Image3, L"CLEAN NOW"},     {ids::Image4, L"Search and  Erase"},
        {ids::Image5, L"Clean Options"}, {ids::Image6, L"File Shredder"},
        {ids::Image9, L"Clean Registry"}, {ids::Image10, L"EXIT"},
        {ids::Command1, L"Start Cleaning >>"}, {ids::Command2, L"Cancel"},
        {ids::Frame4, L"Status"},        {ids::Picture2, L"Help"},
        {ids::LastCleanCaption, L"Last Cleaned at:"},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(Text(id), text) << id;
    EXPECT_EQ(Text(ids::AdviceText),
              L"It's highly recommended that you shut down all other programs when erase the tracks,Norvale System "
              L"Cleaner can not erase the files which being used by other programs.");

    HWND list = w->control(ids::ListView1);
    HWND header = ListView_GetHeader(list);
    ASSERT_EQ(Header_GetItemCount(header), 2);
    wchar_t buf[64];
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = 64;
    ListView_GetColumn(list, 0, &col);
    EXPECT_STREQ(buf, L"Item");
    ListView_GetColumn(list, 1, &col);
    EXPECT_STREQ(buf, L"Status");

    // Home panel first, status panel hidden.
    EXPECT_TRUE(IsWindowVisible(w->control(ids::Frame2)) || !IsWindowVisible(w->hwnd()));
    EXPECT_FALSE(w->StatusPanelVisible());
}

TEST_F(MainWindow, MenuBarMatchesTheTable) {
    frmMainCode* w = Load();
    HMENU bar = GetMenu(w->hwnd());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    const std::vector<std::vector<std::wstring>> expected = {
        {L"File(&F)", L"Clean Now\tCtrl+N", L"-", L"Clean Settings\tCtrl+S", L"-", L"Clean Options\tCtrl+O", L"-",
         L"Exit\tCtrl+X"},
        {L"Tool(&T)", L"Clean Registry", L"-", L"Search and Erase", L"-", L"File Shredder"},
        {L"Help(&H)", L"Help\tF1", L"-", L"Our Website\tCtrl+W", L"-", L"Tell a Friend", L"-", L"About\tCtrl+A"},
    };
    for (int m = 0; m < 3; ++m) {
        wchar_t buf[128];
        GetMenuStringW(bar, m, buf, 128, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(buf), expected[m][0]);
        HMENU sub = GetSubMenu(bar, m);
        ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(expected[m].size()) - 1);
        for (int i = 0; i + 1 < static_cast<int>(expected[m].size()); ++i) {
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_FTYPE | MIIM_STRING;
            mi.dwTypeData = buf;
            mi.cch = 128;
            buf[0] = 0;
            GetMenuItemInfoW(sub, i, TRUE, &mi);
            std::wstring got = (mi.fType & MFT_SEPARATOR) ? L"-" : buf;
            EXPECT_EQ(got, expected[m][i + 1]);
        }
    }
}

TEST_F(MainWindow, AcceleratorsReachTheirCommands) {
    Load();
    HACCEL table = menus::BuildAccelerators();
    ACCEL a[16];
    int n = CopyAcceleratorTableW(table, a, 16);
    DestroyAcceleratorTable(table);
    auto find = [&](WORD key, BYTE ctrl) -> int {
        for (int i = 0; i < n; ++i)
            if (a[i].key == key && (a[i].fVirt & (FCONTROL | FSHIFT)) == ctrl) return a[i].cmd;
        return 0;
    };
    EXPECT_EQ(find('N', FCONTROL), ids::CleanNow1);
    EXPECT_EQ(find('S', FCONTROL), ids::CleanSettings);
    EXPECT_EQ(find('O', FCONTROL), ids::CleanOptions);
    EXPECT_EQ(find('X', FCONTROL), ids::exit);
    EXPECT_EQ(find('W', FCONTROL), ids::OurWebsite);
    EXPECT_EQ(find('A', FCONTROL), ids::about);
    EXPECT_EQ(find(VK_F1, 0), ids::help1);
    EXPECT_EQ(find('N', FCONTROL | FSHIFT), ids::analyze::AnalyzeMenu);
    EXPECT_EQ(n, 8);
}

TEST_F(MainWindow, LoadReadsTheOptions) {
    Profile("[Options]\r\nregnum=12\r\nfilesize=3145728\r\nlastclean=3/5/2024 2:07:09 PM\r\nCleanDays=1111\r\n"
            "CleanTime=9:30\r\n");
    frmMainCode* w = Load();
    EXPECT_EQ(Text(ids::Label14), L"  Cleaned Registry Keys: 12     Released HD Space:3.00MB");
    EXPECT_EQ(Text(ids::Label12), L"3/5/2024 2:07:09 PM");
    const auto& d = w->state().dayFlags;
    EXPECT_EQ(d[0], L"1");
    EXPECT_EQ(d[3], L"1");
    EXPECT_EQ(d[4], L"");
    EXPECT_EQ(d[5], L"");
    EXPECT_EQ(d[6], L"1");
    EXPECT_EQ(w->state().scheduledTime, L"9:30");
    EXPECT_EQ(w->state().unattended, 0);
    EXPECT_FALSE(IEWindows::BossKeyEnabled());
}

TEST_F(MainWindow, MissingOrBadOptionsGiveZeros) {
    Profile("[Options]\r\nregnum=lots\r\nfilesize=-1e308\r\nbosskey=yes\r\n");
    frmMainCode* w = Load();
    EXPECT_EQ(w->state().regCount, 0);
    EXPECT_EQ(Text(ids::Label14), L"  Cleaned Registry Keys: 0     Released HD Space:0.00MB");
    for (const auto& f : w->state().dayFlags) EXPECT_EQ(f, L"0");
    EXPECT_FALSE(IEWindows::BossKeyEnabled());
}

TEST_F(MainWindow, BossKeyTurnedOnByTheNumericFlag) {
    Profile("[Options]\r\nbosskey=1.0\r\n");
    Load();
    EXPECT_TRUE(IEWindows::BossKeyEnabled());
    frmMainCode::Instance()->ExitProgram();
    EXPECT_FALSE(IEWindows::BossKeyEnabled());
    EXPECT_EQ(exits_, 1);
}

TEST_F(MainWindow, BaseFoldersFromShellFolders) {
    std::wstring saved = L"";
    {
        frmMainCode* w = Load();
        EXPECT_FALSE(w->state().appData.empty());
        EXPECT_FALSE(w->state().localAppData.empty());
        EXPECT_FALSE(w->state().windowsFolder.empty());
        EXPECT_EQ(w->state().appData.find(L"Error"), std::wstring::npos);
        saved = w->state().appData;
        frmMainCode::Unload();
    }
    // An unreadable value leaves the folder unknown, never the text "Error".
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders.c_str(), L"AppData");
    frmMainCode* w = Load();
    EXPECT_EQ(w->state().appData, L"");
    nvtest::SetString(HKEY_CURRENT_USER, kShellFolders, L"AppData", saved);
}

TEST_F(MainWindow, PanelsAndHoverBorders) {
    frmMainCode* w = Load();
    w->OnCommand(ids::Image3);
    EXPECT_TRUE(w->StatusPanelVisible());
    w->OnCommand(ids::Image1);
    EXPECT_FALSE(w->StatusPanelVisible());
    w->OnCommand(ids::CleanNow1);
    EXPECT_TRUE(w->StatusPanelVisible());

    SendMessageW(w->hwnd(), ImageButton::kHoverMessage, ids::Image4, 0);
    for (int id : {ids::Image1, ids::Image2, ids::Image3, ids::Image4, ids::Image5, ids::Image6, ids::Image9,
                   ids::Image10})
        EXPECT_EQ(ImageButton::HasBorder(w->control(id)), id == ids::Image4) << id;
    SendMessageW(w->control(ids::Image9), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(ImageButton::HasBorder(w->control(ids::Image9)));
    EXPECT_FALSE(ImageButton::HasBorder(w->control(ids::Image4)));
    SendMessageW(w->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    EXPECT_FALSE(ImageButton::HasBorder(w->control(ids::Image9)));
}

TEST_F(MainWindow, ShowStatusAddsACurrentRow) {
    frmMainCode* w = Load();
    w->showstatus(L"Recycle Bin");
    w->showstatus(L"Windows Temp");
    HWND list = w->control(ids::ListView1);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(Cell(1, 0), L"Windows Temp");
    EXPECT_EQ(Cell(1, 1), L"Cleaning Windows Temp ......");
    EXPECT_EQ(Text(ids::SkinLabel5), L"Cleaning Windows Temp ......");
    w->SetCurrentStatus(L"Done");
    EXPECT_EQ(Cell(1, 1), L"Done");
    EXPECT_EQ(Cell(0, 1), L"Cleaning Recycle Bin ......");
}

TEST_F(MainWindow, CloseHidesAndExitEnds) {
    frmMainCode* w = Load();
    w->Show();
    SendMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(w->hwnd()));
    EXPECT_FALSE(IsWindowVisible(w->hwnd()));
    EXPECT_EQ(exits_, 0);
    SendMessageW(w->hwnd(), WM_COMMAND, ids::Image10, 0);
    EXPECT_EQ(exits_, 1);
    SendMessageW(w->hwnd(), WM_COMMAND, ids::exit, 0);
    EXPECT_EQ(exits_, 2);
}

TEST_F(MainWindow, HelpWebsiteAndCompanions) {
    frmMainCode* w = Load();
    w->OnCommand(ids::help1);
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_NE(launcher_.started[0].commandLine.find(L"\\hh.exe"), std::wstring::npos);
    EXPECT_NE(launcher_.started[0].commandLine.find(dir_.path() + L"\\help.chm"), std::wstring::npos);
    EXPECT_EQ(launcher_.started[0].showCmd, SW_SHOWNORMAL);

    w->OnCommand(ids::OurWebsite);
    w->OnCommand(ids::friend_);
    ASSERT_EQ(launcher_.opened.size(), 2u);
    EXPECT_EQ(launcher_.opened[1], L"mailto:");
    // A double-click on the address label opens the site once.
    HWND link = w->control(ids::Label51);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(link, msg, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(launcher_.opened.size(), 3u);
    EXPECT_EQ(launcher_.opened[2], kWebsite);

    // A missing companion program says so, from the menu and the toolbar
    // alike; a present one starts.
    for (int id : {int{ids::FileShredder}, int{ids::CleanRegistry}, int{ids::Image9}}) w->OnCommand(id);
    EXPECT_EQ(launcher_.started.size(), 1u);
    ASSERT_EQ(prompts_.shown.size(), 3u);
    EXPECT_EQ(prompts_.shown[0].text, L"File Shredder is a separate program that is not installed.");
    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(prompts_.shown[i].text, L"Clean Registry is a separate program that is not installed.");
        EXPECT_EQ(prompts_.shown[i].flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    }
    nvtest::WriteFile(dir_ / L"NorvaleShredder.exe", 10);
    nvtest::WriteFile(dir_ / L"NorvaleRegClean.exe", 10);
    w->OnCommand(ids::Image6);
    w->OnCommand(ids::CleanRegistry);
    ASSERT_EQ(launcher_.started.size(), 3u);
    EXPECT_NE(launcher_.started[1].commandLine.find(dir_ / L"NorvaleShredder.exe"), std::wstring::npos);
    EXPECT_NE(launcher_.started[2].commandLine.find(dir_ / L"NorvaleRegClean.exe"), std::wstring::npos);
    EXPECT_EQ(prompts_.shown.size(), 3u);
}

TEST_F(MainWindow, AboutBox) {
    frmMainCode* w = Load();
    HWND about = frmabout::Create(w->hwnd());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ui::GetText(about), L"About Norvale System Cleaner");
    EXPECT_EQ(ui::GetText(GetDlgItem(about, frmabout::IDC_LICENSE)), L"View License Agreement");
    EXPECT_EQ(ui::GetText(GetDlgItem(about, IDOK)), L"Exit");
    SendMessageW(about, WM_COMMAND, frmabout::IDC_LICENSE, 0);
    ASSERT_EQ(launcher_.started.size(), 1u);
    EXPECT_NE(launcher_.started[0].commandLine.find(L"\\notepad.exe"), std::wstring::npos);
    EXPECT_NE(launcher_.started[0].commandLine.find(L"License.txt"), std::wstring::npos);
    SendMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(IsWindowVisible(w->hwnd()));
}

TEST_F(MainWindow, SplashLoadsTheMainWindowHiddenThenShowsIt) {
    HWND splash = Frmsplash::Open();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(ui::GetText(splash), L"Norvale System Cleaner");
    frmMainCode* w = frmMainCode::Instance();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w->hwnd()));
    Frmsplash::Timer1_Timer();
    EXPECT_TRUE(IsWindowVisible(w->hwnd()));
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(Frmsplash::Window(), nullptr);
}

TEST_F(MainWindow, MinArgumentHidesOnFirstActivation) {
    frmMainCode* w = Load();
    w->state().commandLine = L"min";
    w->Show();
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(IsWindowVisible(w->hwnd()));
    EXPECT_EQ(w->state().commandLine, L"");
    // No WindowsStartup: no run was asked for.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, w->hwnd(), WM_APP + 1, WM_APP + 1, PM_NOREMOVE));
    w->Show();
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(IsWindowVisible(w->hwnd()));
}

TEST_F(MainWindow, OtherArgumentsAreIgnored) {
    for (const wchar_t* arg : {L"MIN", L"min ", L"/min", L"x"}) {
        frmMainCode* w = Load();
        w->state().commandLine = arg;
        w->Show();
        SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
        EXPECT_TRUE(IsWindowVisible(w->hwnd())) << nvtest::Narrow(arg);
        EXPECT_EQ(w->state().commandLine, arg);
        frmMainCode::Unload();
    }
}

TEST(Start, ArgumentTextFollowsTheProgramName) {
    EXPECT_EQ(ArgumentText(L"\"C:\\Program Files\\N\\cleaner.exe\" min"), L"min");
    EXPECT_EQ(ArgumentText(L"cleaner.exe min "), L"min ");
    EXPECT_EQ(ArgumentText(L"cleaner.exe"), L"");
    EXPECT_EQ(ArgumentText(L"cleaner.exe   /clean"), L"/clean");
}

}  // namespace

namespace {

class MainWindowRun : public MainWindow {};

TEST_F(MainWindowRun, StartCleaningRunsAndShowsTheTotals) {
    Profile("[WINDOWS]\r\nsearch=1\r\n[Options]\r\nregnum=7\r\n");
    frmMainCode* w = Load();
    EXPECT_EQ(Text(ids::Label14), L"  Cleaned Registry Keys: 7     Released HD Space:0.00MB");
    SendMessageW(w->control(ids::Command1), BM_CLICK, 0, 0);
    EXPECT_TRUE(w->StatusPanelVisible());
    HWND list = w->control(ids::ListView1);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(Cell(0, 0), L"Start Menu Search History");
    EXPECT_EQ(Cell(0, 1), L"Done");
    EXPECT_EQ(Cell(1, 0), L"Task complete Successfully!");
    EXPECT_EQ(Cell(1, 1), L"");
    EXPECT_EQ(Text(ids::SkinLabel5), L"Task complete Successfully!");
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].title, L"Task Complete");
    EXPECT_EQ(prompts_.shown[0].text,
              L"Task complete Successfully! Cleaned Registry Keys: 30 Released HD Space:0.00MB");
    EXPECT_EQ(prompts_.shown[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(Text(ids::Label14), L"  Cleaned Registry Keys: 30     Released HD Space:0.00MB");
    EXPECT_FALSE(Text(ids::Label12).empty());
    EXPECT_TRUE(IsWindowEnabled(w->control(ids::Command1)));
    EXPECT_EQ(SendMessageW(w->control(ids::coolprogressbar1), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(IsWindowVisible(w->hwnd()));
}

TEST_F(MainWindowRun, WindowsStartupRunsUnattendedOnTheMinArgument) {
    Profile("[WINDOWS]\r\nrun=1\r\n[Options]\r\nWindowsStartup=1\r\n");
    frmMainCode* w = Load();
    w->state().commandLine = L"min";
    w->Show();
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    ui::PumpMessages();  // the run starts once the activation is over
    EXPECT_EQ(ListView_GetItemCount(w->control(ids::ListView1)), 2);
    EXPECT_TRUE(prompts_.shown.empty());  // a popup, not a message box
    EXPECT_EQ(w->state().unattended, 0);
    EXPECT_FALSE(nvtest::ReadText(dir_ / L"prisd.dat").empty());
    // The next activation does nothing more.
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    ui::PumpMessages();
    EXPECT_EQ(ListView_GetItemCount(w->control(ids::ListView1)), 2);
}

TEST_F(MainWindowRun, CancelButtonStopsTheRunAfterTheCurrentItem) {
    Profile("[WINDOWS]\r\nrun=1\r\nsearch=1\r\nwordpad=1\r\n[Options]\r\nlastclean=before\r\n");
    frmMainCode* w = Load();
    // The click waits in the queue and is handled while the run yields
    // at its first item.
    HWND list = w->control(ids::ListView1);
    PostMessageW(w->control(ids::Command2), BM_CLICK, 0, 0);
    w->OnCommand(ids::Command1);
    int rows = ListView_GetItemCount(list);
    ASSERT_EQ(rows, 2);
    EXPECT_EQ(Cell(0, 0), L"Start Menu Run History");
    EXPECT_EQ(Cell(0, 1), L"Done");
    EXPECT_EQ(Cell(1, 0), L"Task cancelled!");
    EXPECT_EQ(Text(ids::Label12), L"before");
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].title, L"Task Cancelled");
}

}  // namespace
