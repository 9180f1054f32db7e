#include "settings/options_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "settings/autostart.h"
#include "foundation/selection_profile.h"

using namespace nv;
using namespace nv::Frmoption;
namespace opt = nv::profile::opt;

namespace {

const std::wstring kRun = autostart::kRunKey;
const std::wstring kMain = L"Software\\Microsoft\\Internet Explorer\\Main";
const std::wstring kDefaultMain = L".DEFAULT\\" + kMain;

std::wstring RegString(HKEY root, const std::wstring& sub, const std::wstring& name = autostart::kValueName) {
    wchar_t buf[1024];
    DWORD size = sizeof buf;
    if (RegGetValueW(root, sub.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

// A stand-in for a Run key that may not be written (optionally holding an
// entry already).
class DeniedMachineKey {
public:
    explicit DeniedMachineKey(const std::wstring& entry = L"", const std::wstring& name = L"machine") : key_(name) {
        std::wstring run = key_.sub() + L"\\" + kRun;
        nvtest::CreateKey(HKEY_CURRENT_USER, run);
        if (!entry.empty()) nvtest::SetString(HKEY_CURRENT_USER, run, autostart::kValueName, entry);
        PSECURITY_DESCRIPTOR sd = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSDWDRC;;;WD)", SDDL_REVISION_1, &sd, nullptr);
        HKEY h = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, run.c_str(), 0, WRITE_DAC, &h);
        RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd);
        RegCloseKey(h);
        LocalFree(sd);
        RegOpenKeyExW(HKEY_CURRENT_USER, key_.sub().c_str(), 0, KEY_READ, &root_);
    }
    ~DeniedMachineKey() { RegCloseKey(root_); }
    HKEY root() const { return root_; }

private:
    nvtest::TestKey key_;
    HKEY root_ = nullptr;
};

class Options : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        host_.EnableBossKey = [this] { calls_.push_back(L"enable"); };
        host_.DisableBossKey = [this] { calls_.push_back(L"disable"); };
        host_.RefreshSchedule = [this] { calls_.push_back(L"schedule"); };
        autostart::Disable();
    }
    void TearDown() override {
        if (IsWindow(dlg_)) DestroyWindow(dlg_);
        autostart::Disable();
        SetAppFolderForTests(L"");
    }
    void Open(const std::string& options = "") {
        if (!options.empty()) nvtest::WriteText(dir_ / L"prisd.dat", "[Options]\r\n" + options);
        calls_.clear();
        dlg_ = Create(nullptr, host_);
        ASSERT_NE(dlg_, nullptr);
    }
    std::wstring Opt(const wchar_t* key) { return profile::Read(profile::kOptions, key); }
    HWND Item(int id) { return Control(dlg_, id); }
    std::wstring Text(int id) {
        wchar_t buf[512] = {};
        GetWindowTextW(Item(id), buf, 512);
        return buf;
    }
    bool Checked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    std::wstring Days() {
        std::wstring s;
        for (int id = chkSunday; id <= chkSaturday; ++id) s += Checked(id) ? L'1' : L'0';
        return s;
    }
    std::wstring Command() { return L"\"" + dir_.path() + L"\\cleaner.exe\" min"; }

    nvtest::ScratchDir dir_{L"options"};
    Host host_;
    std::vector<std::wstring> calls_;
    HWND dlg_ = nullptr;
};

TEST_F(Options, PagesAndTimes) {
    Open();
    wchar_t buf[256];
    GetWindowTextW(dlg_, buf, 256);
    EXPECT_STREQ(buf, L"Options");
    // Four pages; only the chosen one shows.
    const std::pair<const wchar_t*, int> pages[] = {{L"General", Check1},
                                                    {L"Schedule", Check7},
                                                    {L"Homepage", Text1},
                                                    {L"When a browser closes", lstWhenClosed}};
    ASSERT_EQ(TabCtrl_GetItemCount(Item(SSTab1)), 4);
    for (int page = 0; page < 4; ++page) {
        TCITEMW item{TCIF_TEXT};
        item.pszText = buf;
        item.cchTextMax = 256;
        TabCtrl_GetItem(Item(SSTab1), page, &item);
        EXPECT_STREQ(buf, pages[page].first);
        SelectPage(dlg_, page);
        for (int other = 0; other < 4; ++other) {
            HWND sheet = GetParent(Item(pages[other].second));
            EXPECT_EQ((GetWindowLongPtrW(sheet, GWL_STYLE) & WS_VISIBLE) != 0, other == page) << page << other;
        }
    }
    // 48 times, every half hour, hours without a leading zero.
    ASSERT_EQ(SendMessageW(Item(cmbStartTime), CB_GETCOUNT, 0, 0), 48);
    for (int i = 0; i < 48; ++i) {
        SendMessageW(Item(cmbStartTime), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        EXPECT_EQ(std::wstring(buf), std::to_wstring(i / 2) + (i % 2 ? L":30" : L":00"));
    }
}

// A second "Options" window of this thread, closed when found.
int g_secondCopies = 0;
HWND g_firstCopy = nullptr;
void CALLBACK CloseSecondCopy(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM) -> BOOL {
            wchar_t title[32] = {};
            GetWindowTextW(h, title, 32);
            if (h != g_firstCopy && std::wstring(title) == L"Options") {
                ++g_secondCopies;
                EndDialog(h, IDCANCEL);
            }
            return TRUE;
        },
        0);
}

TEST_F(Options, AskedForAgainWhileOpenNoSecondCopyOpens) {
    // The tray menu stays usable while the dialog is open.
    Open();
    g_firstCopy = dlg_;
    g_secondCopies = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseSecondCopy);
    ShowModal(nullptr, host_);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_secondCopies, 0);
    EXPECT_TRUE(IsWindow(dlg_));
}

TEST_F(Options, NoProfileShowsNothingAndOkWritesOffEverywhere) {
    // A Run value from an earlier tick, in both places it may be.
    nvtest::SetString(HKEY_LOCAL_MACHINE, kRun, autostart::kValueName, L"old");
    nvtest::SetString(HKEY_CURRENT_USER, kRun, autostart::kValueName, L"old");
    Open();
    for (int id : {Check1, Check2, Check3, Check4, Check6, Check7, Check8, chkDaily, chkAtReboot})
        EXPECT_FALSE(Checked(id)) << id;
    EXPECT_EQ(Days(), L"0000000");
    EXPECT_EQ(Text(cmbStartTime), L"");

    Click(Command1);
    EXPECT_FALSE(IsWindow(dlg_));
    for (const wchar_t* key :
         {opt::bosskey, opt::startup, opt::autoclean, opt::exit, opt::securely, opt::WindowsStartup, opt::WindowsShutdown,
          opt::atreboot})
        EXPECT_EQ(Opt(key), L"0") << nvtest::Narrow(key);
    EXPECT_EQ(Opt(opt::CleanDays), L"0000000");
    EXPECT_NE(nvtest::ReadText(dir_ / L"prisd.dat").find("CleanTime=\r\n"), std::string::npos);
    // A missing bosskey is no "0": the off branch writes and turns the key off.
    EXPECT_EQ(calls_, (std::vector<std::wstring>{L"disable", L"schedule"}));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), L"<missing>");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), L"<missing>");
}

TEST_F(Options, LoadAndOkKeepEveryFlagAndTheSchedule) {
    Open("bosskey=01\r\nstartup=1\r\nautoclean=1.0\r\nexit=1\r\nsecurely=2\r\nWindowsStartup= 1 \r\n"
         "WindowsShutdown=yes\r\nCleanDays=1000001\r\nCleanTime=9:30\r\natreboot=1.0\r\n");
    const std::pair<int, bool> loaded[] = {{Check1, true},  {Check2, true}, {Check3, true}, {Check4, true},
                                           {Check6, false}, {Check7, true}, {Check8, false}, {chkAtReboot, true}};
    for (const auto& [id, on] : loaded) EXPECT_EQ(Checked(id), on) << id;
    EXPECT_EQ(SendMessageW(Item(cmbStartTime), CB_GETCURSEL, 0, 0), 19);

    Click(Command1);
    // bosskey reads as 1 with the box ticked: not written, not turned on again.
    EXPECT_EQ(calls_, (std::vector<std::wstring>{L"schedule"}));
    const std::pair<const wchar_t*, const wchar_t*> written[] = {
        {opt::bosskey, L"01"},         {opt::startup, L"1"},        {opt::autoclean, L"1"},
        {opt::exit, L"1"},             {opt::securely, L"0"},       {opt::WindowsStartup, L"1"},
        {opt::WindowsShutdown, L"0"}, {opt::CleanDays, L"1000001"}, {opt::CleanTime, L"9:30"},
        {opt::atreboot, L"1"}};
    for (const auto& [key, value] : written) EXPECT_EQ(Opt(key), value) << nvtest::Narrow(key);
    // The start-up entry: the quoted program path and the "min" argument.
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), Command());
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), L"<missing>");

    // A time that is not one of the entries is shown and kept as stored.
    Open("CleanTime=09:15\r\n");
    EXPECT_EQ(Text(cmbStartTime), L"09:15");
    Click(Command1);
    EXPECT_EQ(Opt(opt::CleanTime), L"09:15");
}

TEST_F(Options, DaysReadCharacterByCharacterAndRunDaily) {
    // Saturday is the text's last character; only the digit 1 checks a day.
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"11", L"1100001"},  {"1111", L"1111001"},    {"0100010", L"0100010"}, {"1", L"1000001"},
        {"1x1 1", L"1010101"}, {"2222222", L"0000000"}, {"", L"0000000"},      {"01111110", L"0111110"},
    };
    for (const auto& [stored, shown] : cases) {
        Open(std::string("CleanDays=") + stored + "\r\n");
        EXPECT_EQ(Days(), shown) << stored;
        Click(Command1);
        EXPECT_EQ(Opt(opt::CleanDays), shown) << stored;
    }
    Open();
    Click(chkDaily);
    EXPECT_EQ(Days(), L"1111111");
    Click(chkDaily);
    EXPECT_EQ(Days(), L"0000000");
    Click(chkMonday);
    Click(Command1);
    EXPECT_EQ(Opt(opt::CleanDays), L"0100000");
}

TEST_F(Options, BossKeyChangesAreWrittenAndAppliedAtOnce) {
    const std::tuple<const char*, bool, const wchar_t*, std::vector<std::wstring>> cases[] = {
        {"bosskey=0", true, L"1", {L"enable", L"schedule"}},  {"", true, L"1", {L"enable", L"schedule"}},
        {"bosskey=1", true, L"1", {L"schedule"}},             {"bosskey=1", false, L"0", {L"disable", L"schedule"}},
        {"bosskey=0.0", false, L"0.0", {L"schedule"}},        {"bosskey=yes", false, L"0", {L"disable", L"schedule"}},
    };
    for (const auto& [stored, ticked, after, calls] : cases) {
        Open(std::string(stored) + "\r\n");
        SendMessageW(Item(Check1), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
        Click(Command1);
        EXPECT_EQ(Opt(opt::bosskey), after) << stored << ticked;
        EXPECT_EQ(calls_, calls) << stored << ticked;
    }
}

TEST_F(Options, HomePageAndTitleGoToTheThreeKeysAndCancelWritesNothing) {
    nvtest::CreateKey(HKEY_USERS, kDefaultMain);
    nvtest::CreateKey(HKEY_LOCAL_MACHINE, kMain);
    nvtest::SetString(HKEY_CURRENT_USER, kMain, L"Start Page", L"http://home.example/");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kMain.c_str(), L"Window Title");
    Open();
    EXPECT_EQ(Text(Text1), L"http://home.example/");
    EXPECT_EQ(Text(Text2), L"");  // unreadable: empty, never "Error"

    // Cancel: nothing written anywhere.
    for (int id : {Check1, Check2, chkDaily}) Click(id);
    SetWindowTextW(Item(Text1), L"");
    Click(Command2);
    EXPECT_FALSE(IsWindow(dlg_));
    EXPECT_FALSE(nvtest::Exists(dir_ / L"prisd.dat"));
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kMain, L"Start Page"), L"http://home.example/");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), L"<missing>");

    // OK: an empty box writes one blank, into all three keys.
    Open();
    SetWindowTextW(Item(Text1), L"");
    SetWindowTextW(Item(Text2), L"My Browser");
    Click(Command1);
    for (HKEY root : {HKEY_USERS, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const std::wstring& sub = root == HKEY_USERS ? kDefaultMain : kMain;
        EXPECT_EQ(RegString(root, sub, L"Start Page"), L" ");
        EXPECT_EQ(RegString(root, sub, L"Window Title"), L"My Browser");
    }
    // A key that does not exist is not created.
    nvtest::DeleteTree(HKEY_USERS, kDefaultMain);
    Open();
    Click(Command1);
    EXPECT_FALSE(nvtest::KeyExists(HKEY_USERS, kDefaultMain));
}

TEST_F(Options, StartWithWindowsFallsBackToTheUserAndKeepsOneEntry) {
    {
        DeniedMachineKey machine;
        HKEY probe = nullptr;
        ASSERT_EQ(RegCreateKeyExW(machine.root(), kRun.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &probe, nullptr),
                  ERROR_ACCESS_DENIED);
        host_.machineRoot = machine.root();
        Open();
        Click(Check2);
        Click(Command1);
        EXPECT_EQ(Opt(opt::startup), L"1");
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), Command());
    }
    // Where the machine's key takes the entry, the user's copy goes, so the
    // program never starts twice; a refusing key that holds it already is
    // as good.
    host_.machineRoot = HKEY_LOCAL_MACHINE;
    Open();
    Click(Command1);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), Command());
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), L"<missing>");
    nvtest::SetString(HKEY_CURRENT_USER, kRun, autostart::kValueName, Command());
    EXPECT_EQ(autostart::Enable(DeniedMachineKey(Command()).root()), autostart::Where::Machine);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), L"<missing>");

    // Unticking removes it wherever it is.
    nvtest::SetString(HKEY_CURRENT_USER, kRun, autostart::kValueName, Command());
    Open();
    Click(Check2);
    Click(Command1);
    EXPECT_EQ(Opt(opt::startup), L"0");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRun), L"<missing>");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), L"<missing>");
}

// A value the user did not edit is never written: a long home page (which
// reads whole) stays as it is, a missing title stays missing.
TEST_F(Options, InternetExplorerValuesAreWrittenOnlyWhenTheirBoxChanged) {
    const std::wstring home = L"http://home.example/start?" + std::wstring(300, L'q');
    nvtest::CreateKey(HKEY_USERS, kDefaultMain);
    nvtest::CreateKey(HKEY_LOCAL_MACHINE, kMain);
    nvtest::SetString(HKEY_CURRENT_USER, kMain, L"Start Page", home);
    nvtest::SetString(HKEY_LOCAL_MACHINE, kMain, L"Start Page", L"machine page");
    for (HKEY root : {HKEY_USERS, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        RegDeleteKeyValueW(root, (root == HKEY_USERS ? kDefaultMain : kMain).c_str(), L"Window Title");
        if (root == HKEY_USERS) RegDeleteKeyValueW(root, kDefaultMain.c_str(), L"Start Page");
    }
    auto value = [](HKEY root, const wchar_t* name) {
        std::wstring buf(4096, L'\0');
        DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        const std::wstring& sub = root == HKEY_USERS ? kDefaultMain : kMain;
        if (RegGetValueW(root, sub.c_str(), name, RRF_RT_REG_SZ, nullptr, buf.data(), &size) != ERROR_SUCCESS)
            return std::wstring(L"<missing>");
        return std::wstring(buf.c_str());
    };
    Open();
    EXPECT_EQ(GetWindowTextLengthW(Item(Text1)), static_cast<int>(home.size()));
    Click(chkMonday);
    Click(Command1);
    EXPECT_EQ(value(HKEY_CURRENT_USER, L"Start Page"), home);
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, L"Start Page"), L"machine page");
    EXPECT_EQ(value(HKEY_USERS, L"Start Page"), L"<missing>");
    for (HKEY root : {HKEY_USERS, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        EXPECT_EQ(value(root, L"Window Title"), L"<missing>");
    // Only the edited box goes into the three keys.
    Open();
    SetWindowTextW(Item(Text2), L"Title");
    Click(Command1);
    for (HKEY root : {HKEY_USERS, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        EXPECT_EQ(value(root, L"Window Title"), L"Title");
        EXPECT_EQ(value(root, L"Start Page"), root == HKEY_USERS ? L"<missing>"
                                              : root == HKEY_LOCAL_MACHINE ? L"machine page" : home);
    }
}

// What OK cannot store is said, and the dialog stays: the profile as a
// folder, then a start-up entry that neither Run key takes.
TEST_F(Options, WhatCannotBeStoredIsSaidAndTheDialogStays) {
    nvtest::RecordingPrompter prompts;
    nvtest::MakeDirs(dir_ / L"prisd.dat");
    Open();
    Click(Check1);
    Click(Check2);
    Click(Command1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find(L"could not be saved"), std::wstring::npos);
    EXPECT_NE(prompts.shown[0].text.find(profile::ProfilePath()), std::wstring::npos);
    EXPECT_TRUE(IsWindow(dlg_));
    EXPECT_TRUE(calls_.empty());  // nothing applied that is not stored
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kRun), L"<missing>");
    DestroyWindow(dlg_);
    RemoveDirectoryW((dir_ / L"prisd.dat").c_str());

    DeniedMachineKey machine, user(L"", L"user");
    host_.machineRoot = machine.root();
    host_.userRoot = user.root();
    prompts.shown.clear();
    Open();
    Click(Check2);
    Click(Command1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find(L"Windows Start Up"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(dlg_));
    EXPECT_FALSE(Checked(Check2));
    EXPECT_EQ(Opt(opt::startup), L"0");
    Click(Command1);
    EXPECT_FALSE(IsWindow(dlg_));
    EXPECT_EQ(prompts.shown.size(), 1u);
}

}  // namespace

// One box per application the host lists, ticked from section WhenClosed
// (absent = off); OK stores every box and tells the watcher.
TEST_F(Options, WhenABrowserClosesBoxes) {
    host_.closingBoxes = {{L"Internet Explorer", L"Internet Explorer"}, {L"Firefox", L"Firefox"},
                          {L"Odd=Name", L"Odd_Name"}};
    host_.RefreshClosingWatch = [this] { calls_.push_back(L"watch"); };
    nvtest::WriteText(dir_ / L"prisd.dat", "[WhenClosed]\r\nFirefox=1\r\nOdd_Name=0\r\n");
    dlg_ = Create(nullptr, host_);
    ASSERT_NE(dlg_, nullptr);
    calls_.clear();
    HWND list = Item(lstWhenClosed);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    wchar_t buf[64];
    ListView_GetItemText(list, 2, 0, buf, 64);
    EXPECT_STREQ(buf, L"Odd=Name");
    const struct {
        bool loaded, clicked;
        const wchar_t* key;
        const wchar_t* stored;
    } rows[] = {{false, true, L"Internet Explorer", L"1"}, {true, true, L"Firefox", L"0"}, {false, false, L"Odd_Name", L"0"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ListView_GetCheckState(list, i) != 0, rows[i].loaded) << i;
        if (rows[i].clicked) ListView_SetCheckState(list, i, !rows[i].loaded);
    }
    Click(IDOK);
    for (const auto& r : rows) EXPECT_EQ(profile::Read(profile::kWhenClosed, r.key), r.stored) << r.key;
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), L"watch"), 1);
}

TEST_F(Options, WhenABrowserClosesWithNothingInstalled) {
    Open();
    EXPECT_EQ(ListView_GetItemCount(Item(lstWhenClosed)), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(lstWhenClosed)));
    EXPECT_EQ(Text(LabelWhenClosed), L"No browser or application that can be watched is installed.");
}
