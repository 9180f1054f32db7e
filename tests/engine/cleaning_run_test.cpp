#include "engine/cleaning_run.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/windows_items.h"
#include "foundation/handles.h"
#include "foundation/app_path.h"
#include "foundation/text.h"
#include "planted_links.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "foundation/selection_profile.h"

using namespace nv;
using namespace nv::engine;
using nvtest::RecordingView;

namespace {

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Runs here keep the view's records and hooks from one run to the next.
class CleanRun : public nvtest::RunTest {
protected:
    CleanRun() { keepView_ = true; }

    void Select(const wchar_t* section, std::initializer_list<const wchar_t*> keys, const wchar_t* value = L"1") {
        for (const wchar_t* k : keys) Inifun::WriteIniValue(profile::ProfilePath(), section, k, value);
    }
    std::wstring Option(const wchar_t* key) { return profile::Read(profile::kOptions, key); }
};

TEST_F(CleanRun, NothingSelectedGivesTheFinalRowAndZeros) {
    EXPECT_EQ(Run(), RunEnd::Completed);
    ASSERT_EQ(view_.rows.size(), 1u);
    EXPECT_EQ(view_.rows[0].item, L"Task complete Successfully!");
    EXPECT_EQ(view_.rows[0].status, L"");
    EXPECT_EQ(view_.action, L"Task complete Successfully!");
    ASSERT_EQ(view_.announced.size(), 1u);
    EXPECT_EQ(view_.announced[0].title, L"Task Complete");
    EXPECT_EQ(view_.announced[0].text,
              L"Task complete Successfully! Cleaned Registry Keys: 0 Released HD Space:0.00MB");
    EXPECT_EQ(Option(L"regnum"), L"0");
    EXPECT_EQ(Option(L"filesize"), L"0");
    EXPECT_FALSE(Option(L"lastclean").empty());
    ASSERT_EQ(view_.totals.size(), 1u);
    EXPECT_EQ(view_.totals[0].lastClean, Option(L"lastclean"));
    EXPECT_EQ(view_.begins, 1);
    EXPECT_EQ(view_.ends, 1);
    EXPECT_EQ(view_.shown, 1);
}

TEST_F(CleanRun, ProgressScheduleIsIndependentOfTheSelection) {
    const std::vector<int> expected = {1,  5,  6,  8,  10, 11, 11, 11, 12, 12, 13, 14, 15, 15, 16, 17, 18, 19, 20,
                                       21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39,
                                       40, 41, 41, 41, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55,
                                       59, 60, 62, 64, 65, 67, 69, 70, 80, 97, 100};
    Run();
    EXPECT_EQ(view_.progress, expected);
    view_.progress.clear();
    Select(L"WINDOWS", {L"run", L"wordpad", L"swap"});
    Run(true);
    EXPECT_EQ(view_.progress, expected);
}

TEST_F(CleanRun, FixedRegistryCountsPerItem) {
    struct Case {
        const wchar_t* key;
        double count;
    } cases[] = {{L"search", 30}, {L"notification", 4}, {L"recentlyused", 25}, {L"recent", 1},
                 {L"run", 3},     {L"findfiles", 12},   {L"DirectX", 6},       {L"userassist", 10},
                 {L"recycle", 1}, {L"passwords", 0},    {L"swap", 0},          {L"open", 5}};
    for (const Case& c : cases) {
        nvtest::RemoveTree(profile::ProfilePath());
        Select(L"WINDOWS", {c.key});
        view_ = RecordingView();
        Run();
        ASSERT_EQ(view_.rows.size(), 2u) << nvtest::Narrow(c.key);
        EXPECT_EQ(view_.rows[0].status, L"Done");
        EXPECT_EQ(Option(L"regnum"), NumberText(c.count)) << nvtest::Narrow(c.key);
    }
}

TEST_F(CleanRun, AllWindowsItemsInOrderWithTheirLabels) {
    for (const auto& k : profile::ItemKeys())
        if (std::wstring(k.section) == L"WINDOWS") Select(L"windows", {k.key});
    Run(true);  // preview: nothing of this prefix is touched
    const std::vector<std::wstring> expected = {
        L"Recent Documents History",
        L"Start Menu Run History",
        L"Start Menu Search History",
        L"Windows Temp",
        L"Recycle Bin",
        L"Open/Save Dialog Box History",
        L"Scandisk Temp Files",
        L"Windows Passwords(Only 9X/Me)",
        L"Windows Clipboard",
        L"Wordpad Recent Files",
        L"Windows Paint Recent Files",
        L"The custom locations from the picture location drop-down box",
        L"DirectX most recent applications",
        L"Find computer dialog box",
        L"Find files dialog box",
        L"Map network drive MRU",
        L"Microsoft management console recent file list",
        L"Past items from the notification area",
        L"Registry editor last opened key",
        L"Saved search folders from windows vista",
        L"Start menu programs and favorites menu order",
        L"The list of most recently used files and folders",
        L"Thumbs.db",
        L"Windows explorer streams MRUs",
        L"windows swap/paging file",
        L"Windows userassist MRUs",
        L"Windows XP unread mail count",
        L"Task complete Successfully!",
    };
    EXPECT_EQ(view_.Labels(), expected);
    for (size_t i = 0; i + 1 < view_.rows.size(); ++i) EXPECT_EQ(view_.rows[i].status, L"Done");
    // 1 + 3 + 30 + 1 + 5 + 3 * 3 + 6 + 9 + 12 + 3 + 3 + 4 + 5 + 5 + 25 + 5 + 10 + 5
    EXPECT_EQ(counters_.regCount, 141);
}

TEST_F(CleanRun, ItemGateIsTheTextTest) {
    Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", L"run", L" 1 ");
    Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", L"search", L"01");
    Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", L"open", L"yes");
    Inifun::WriteIniValue(profile::ProfilePath(), L"windows", L"WORDPAD", L"1");
    Run(true);
    EXPECT_EQ(view_.Labels(), (std::vector<std::wstring>{L"Start Menu Run History", L"Wordpad Recent Files",
                                                         L"Task complete Successfully!"}));
}

TEST_F(CleanRun, RegistryItemsDeleteTheirKeys) {
    const std::wstring runMru = kExplorer + L"\\RunMRU";
    const std::wstring bars = L"Software\\Microsoft\\Internet Explorer\\Explorer Bars";
    const std::wstring tray = kExplorer + L"\\TrayNotify";
    nvtest::SetString(HKEY_CURRENT_USER, runMru, L"a", L"notepad\\1");
    nvtest::CreateKey(HKEY_CURRENT_USER, bars + L"\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU");
    nvtest::SetString(HKEY_CURRENT_USER, bars + L"\\Other", L"x", L"y");
    nvtest::SetString(HKEY_CURRENT_USER, tray, L"IconStreams", L"s");
    nvtest::SetString(HKEY_CURRENT_USER, tray, L"Keep", L"k");
    Select(L"WINDOWS", {L"run", L"findfiles", L"notification"});

    // Preview first: nothing changes, the totals are those of the clean.
    Run(true);
    double previewKeys = counters_.regCount;
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, runMru));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, tray, L"IconStreams"));
    EXPECT_EQ(Option(L"lastclean"), L"");

    Run();
    EXPECT_EQ(counters_.regCount, previewKeys);
    EXPECT_EQ(counters_.regCount, 3 + 12 + 4);
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, runMru));
    // The plain delete leaves keys that still have subkeys.
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, bars + L"\\Other"));
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, bars + L"\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU"));
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, tray, L"IconStreams"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, tray, L"Keep"));
    nvtest::DeleteTree(HKEY_CURRENT_USER, bars + L"\\Other");
    nvtest::DeleteTree(HKEY_CURRENT_USER, tray);
}

TEST_F(CleanRun, TwoRunsInARowStartFromZero) {
    Select(L"WINDOWS", {L"search"});
    Run();
    EXPECT_EQ(Option(L"regnum"), L"30");
    Run();
    EXPECT_EQ(Option(L"regnum"), L"30");
    EXPECT_EQ(counters_.regCount, 30);
}

// An empty card reader among the scandisk drives must not raise the
// system's "No Disk" box in a run nobody watches.
TEST_F(CleanRun, DrivesWithoutTheirMediumFailQuietlyDuringTheRunOnly) {
    Select(L"WINDOWS", {L"scandisk"});
    SetThreadErrorMode(0, nullptr);
    DWORD during = 0;
    view_.onShowStatus = [&](const std::wstring&) { during = GetThreadErrorMode(); };
    Run(true);
    EXPECT_TRUE(during & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(GetThreadErrorMode(), 0u);
}

TEST_F(CleanRun, UnattendedRunEndsWithAPopupAndResetsTheFlag) {
    Select(L"WINDOWS", {L"search"});
    unattended_ = 1;
    Run();
    ASSERT_EQ(view_.notified.size(), 1u);
    EXPECT_EQ(view_.notified[0].key, L"www");
    EXPECT_EQ(view_.notified[0].title, L"Norvale System Cleaner");
    EXPECT_EQ(view_.notified[0].description,
              L"Norvale System Cleaner Clean is done! Cleaned Registry Keys: 30 Released HD Space:0.00MB");
    EXPECT_TRUE(view_.announced.empty());
    EXPECT_EQ(unattended_, 0);
    Run();
    EXPECT_EQ(view_.announced.size(), 1u);
    EXPECT_EQ(view_.notified.size(), 1u);
}

TEST_F(CleanRun, ExitOptionEndsBeforeTheTotalsAreWritten) {
    profile::Write(profile::kOptions, profile::opt::lastclean, L"before");
    profile::Write(profile::kOptions, profile::opt::exit, L"1");
    Select(L"WINDOWS", {L"search"});
    EXPECT_EQ(Run(), RunEnd::ExitRequested);
    EXPECT_EQ(view_.exits, 1);
    EXPECT_EQ(view_.progress.back(), 97);
    EXPECT_EQ(Option(L"lastclean"), L"before");
    EXPECT_EQ(Option(L"regnum"), L"");
    EXPECT_TRUE(view_.announced.empty());
    EXPECT_EQ(view_.rows.back().item, L"Start Menu Search History");
}

TEST_F(CleanRun, CancelStopsAfterTheCurrentItemAndClaimsNoSuccess) {
    profile::Write(profile::kOptions, profile::opt::lastclean, L"before");
    Select(L"WINDOWS", {L"run", L"search", L"wordpad"});
    bool cancel = false;
    view_.onShowStatus = [&](const std::wstring& label) {
        if (label == L"Start Menu Search History") cancel = true;  // pressed while this item works
    };
    EXPECT_EQ(Run(false, nullptr, &cancel), RunEnd::Cancelled);
    EXPECT_EQ(view_.Labels(), (std::vector<std::wstring>{L"Start Menu Run History", L"Start Menu Search History",
                                                         L"Task cancelled!"}));
    EXPECT_EQ(view_.rows[1].status, L"Done");
    ASSERT_EQ(view_.announced.size(), 1u);
    EXPECT_EQ(view_.announced[0].text, L"Task cancelled! Cleaned Registry Keys: 33 Released HD Space:0.00MB");
    EXPECT_EQ(Option(L"lastclean"), L"before");
    EXPECT_EQ(Option(L"regnum"), L"");
}

TEST_F(CleanRun, CancelDuringAWalkStopsItThereAndTheRowSaysCancelled) {
    // The walk yields while it deletes; a Cancel heard there ends it at once.
    auto file = [&](int i) { return env_.windowsFolder + L"\\temp\\f" + std::to_wstring(i) + L".tmp"; };
    for (int i = 0; i < 50; ++i) nvtest::WriteFile(file(i), 10);
    Select(L"WINDOWS", {L"temp", L"open"});
    bool cancel = false;
    view_.onPump = [&] { cancel = true; };
    EXPECT_EQ(Run(false, nullptr, &cancel), RunEnd::Cancelled);
    EXPECT_EQ(view_.Labels(), (std::vector<std::wstring>{L"Windows Temp", L"Task cancelled!"}));
    EXPECT_EQ(view_.rows[0].status, L"Cancelled");
    int left = 0;
    for (int i = 0; i < 50; ++i) left += nvtest::Exists(file(i));
    EXPECT_GE(left, 49);
}

TEST_F(CleanRun, ASecondRunIsRefusedWhileOneRuns) {
    Select(L"WINDOWS", {L"run"});
    RunEnd nested = RunEnd::Completed;
    bool inProgress = false;
    view_.onShowStatus = [&](const std::wstring&) {
        RecordingView other;
        Counters c;
        int u = 0;
        inProgress = RunInProgressAnywhere();
        nested = CleanNow(other, env_, c, u);
    };
    EXPECT_EQ(Run(), RunEnd::Completed);
    EXPECT_EQ(nested, RunEnd::Refused);
    EXPECT_TRUE(inProgress);
    EXPECT_FALSE(RunInProgressAnywhere());
}

TEST_F(CleanRun, ARunHeldByAnotherProcessIsRefused) {
    // Another thread stands in for another process holding the run.
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        HANDLE m = CreateMutexW(nullptr, TRUE, L"Local\\NorvaleSystemCleaner.CleaningRun");
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(m);
        CloseHandle(m);
    });
    WaitForSingleObject(taken, INFINITE);
    EXPECT_TRUE(RunInProgressAnywhere());
    EXPECT_EQ(Run(), RunEnd::Refused);
    EXPECT_EQ(view_.begins, 0);
    SetEvent(release);
    other.join();
    CloseHandle(taken);
    CloseHandle(release);
    EXPECT_FALSE(RunInProgressAnywhere());
    EXPECT_EQ(Run(), RunEnd::Completed);
}

// The profile planted by tools/lib/plant-links.sh (C:\nvlinks\thumbs\tree):
// Thumbs.db 40, sub\THUMBS.DB 60, sub\Thumbs.db.txt, the file link
// Links\Thumbs.db and the folder link Contacts\photos, whose target holds a
// Thumbs.db of its own.
TEST_F(CleanRun, ThumbnailCachesGoThroughTheLinkSafeWalkAndNothingIsStarted) {
    const std::wstring root = L"C:\\nvlinks\\thumbs", tree = root + L"\\tree";
    NEED_PLANTED(nvtest::Exists(tree + L"\\Contacts\\photos"));
    nvtest::EnvVar profileVar(L"USERPROFILE", tree);
    Select(L"WINDOWS", {L"thumbs"});
    nvtest::RecordingSink heard, done;
    Run(true, &heard);
    EXPECT_EQ(counters_.bytes, 100);
    Run(false, &done);
    EXPECT_EQ(counters_.bytes, 100);
    EXPECT_EQ(heard.lines, done.lines);
    EXPECT_EQ(done.Count(RemovalKind::File), 2u);
    // Links\Thumbs.db, Contacts\photos and the folder links every planted tree has
    EXPECT_EQ(done.Count(RemovalKind::Refused), 2u + 3u);
    EXPECT_TRUE(launcher_.started.empty());
    EXPECT_FALSE(nvtest::Exists(tree + L"\\Thumbs.db"));
    EXPECT_FALSE(nvtest::Exists(tree + L"\\sub\\THUMBS.DB"));
    EXPECT_TRUE(nvtest::Exists(tree + L"\\sub\\Thumbs.db.txt"));
    EXPECT_TRUE(nvtest::Exists(root + L"\\target\\keep.txt"));
    EXPECT_TRUE(nvtest::Exists(root + L"\\target\\photos\\Thumbs.db"));
    ASSERT_EQ(view_.rows.size(), 2u);
    EXPECT_EQ(view_.rows[0].status, L"Done");
}

// Thumbs.db in a folder with a non-ANSI name goes; one in use and one
// read-only stay, counted all the same (errors are ignored, as for every
// file walk that is not told to stop).
TEST_F(CleanRun, ThumbnailCachesInUseReadOnlyOrUnderOddNames) {
    nvtest::ScratchDir profileDir(L"profile");
    const std::wstring odd = profileDir / L"\u7167\u7247 \U0001F4F7\\Thumbs.db";
    const std::wstring inUse = profileDir / L"busy\\thumbs.db", readOnly = profileDir / L"ro\\THUMBS.DB";
    nvtest::WriteFile(odd, 10);
    nvtest::WriteFile(inUse, 20);
    nvtest::WriteFile(readOnly, 40);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    ScopedFile held(CreateFileW(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    nvtest::EnvVar profileVar(L"USERPROFILE", profileDir.path());
    Select(L"WINDOWS", {L"thumbs"});
    Run();
    EXPECT_EQ(counters_.bytes, 70);
    EXPECT_FALSE(nvtest::Exists(odd));
    EXPECT_TRUE(nvtest::Exists(inUse));
    EXPECT_TRUE(nvtest::Exists(readOnly));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Link keys where the Windows items delete (OpenSaveMRU, RunMRU) and inside
// a tree they delete: the run removes nothing through them.
TEST_F(CleanRun, RegistryLinkKeysUnderItemsLeaveTheirTargetsAlone) {
    const std::wstring comdlg = kExplorer + L"\\ComDlg32";
    nvtest::TestKey precious(L"precious");
    nvtest::SetString(HKEY_CURRENT_USER, precious.sub() + L"\\Sub", L"doc", L"keep");
    nvtest::SetString(HKEY_CURRENT_USER, precious.sub() + L"\\Leaf", L"v", L"keep");
    nvtest::DeleteTree(HKEY_CURRENT_USER, comdlg + L"\\OpenSaveMRU");
    nvtest::DeleteTree(HKEY_CURRENT_USER, kExplorer + L"\\RunMRU");
    nvtest::SetString(HKEY_CURRENT_USER, comdlg + L"\\LastVisitedMRU", L"a", L"trace");
    nvtest::RegLink open(HKEY_CURRENT_USER, comdlg + L"\\OpenSaveMRU", precious.sub());
    nvtest::RegLink run(HKEY_CURRENT_USER, kExplorer + L"\\RunMRU", precious.sub() + L"\\Leaf");
    nvtest::RegLink inner(HKEY_CURRENT_USER, comdlg + L"\\LastVisitedMRU\\Inner", precious.sub());
    ASSERT_TRUE(open.ok() && run.ok() && inner.ok());
    Select(L"WINDOWS", {L"run", L"open", L"recentlyused"});
    nvtest::RecordingSink heard, done;
    Run(true, &heard);
    Run(false, &done);
    EXPECT_EQ(counters_.regCount, 3 + 5 + 25);
    EXPECT_EQ(heard.lines, done.lines);
    EXPECT_EQ(done.Count(RemovalKind::Refused), 4u);  // RunMRU, OpenSaveMRU twice, LastVisitedMRU\Inner
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, precious.sub() + L"\\Sub", L"doc"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, precious.sub() + L"\\Leaf", L"v"));
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, comdlg + L"\\LastVisitedMRU", L"a"));
}

// A profile that cannot be written (held open without write sharing, as
// another program might): the end says so, shows the run's own counters,
// and the strip shows what the profile still holds.
TEST_F(CleanRun, TotalsThatCannotBeSavedAreNeverClaimed) {
    nvtest::WriteText(profile::ProfilePath(),
                      "[WINDOWS]\r\nrun=1\r\nsearch=1\r\n[Options]\r\nlastclean=old\r\nregnum=999\r\nfilesize=5242880\r\n");
    ScopedFile held(CreateFileW(profile::ProfilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(held);
    const std::wstring own = L" Cleaned Registry Keys: 33 Released HD Space:0.00MB";
    for (int watched : {1, 0}) {
        unattended_ = watched ? 0 : 1;
        view_ = RecordingView();
        EXPECT_EQ(Run(), RunEnd::TotalsNotSaved);
        EXPECT_EQ(counters_.regCount, 33);
        if (watched) {
            ASSERT_EQ(view_.announced.size(), 1u);
            EXPECT_EQ(view_.announced[0].text, L"Task complete Successfully!" + own + L"\n\n" + kTotalsNotSaved);
        } else {
            ASSERT_EQ(view_.notified.size(), 1u);
            EXPECT_EQ(view_.notified[0].description,
                      L"Norvale System Cleaner Clean is done!" + own + L" " + kTotalsNotSaved);
        }
        ASSERT_EQ(view_.totals.size(), 1u);
        EXPECT_EQ(view_.totals[0].lastClean, L"old");
        EXPECT_EQ(view_.totals[0].reg, 999);
        EXPECT_EQ(view_.totals[0].bytes, 5242880);
    }
}

TEST(CleanRunTexts, StoredTotalsThatAreNoFiniteNonNegativeNumberAreZero) {
    const struct {
        const wchar_t* text;
        double value;
    } cases[] = {{L"12", 12},   {L"3145728", 3145728}, {L"1.5", 1.5}, {L"", 0},     {L"lots", 0}, {L"-1", 0},
                 {L"-1e308", 0}, {L"1e400", 0},        {L"nan", 0},   {L"inf", 0}, {L"-0", 0}};
    for (const auto& c : cases) EXPECT_EQ(StoredTotal(c.text), c.value) << nvtest::Narrow(c.text);
}

TEST(CleanRunTexts, EndMessagesAndLegacyTemp) {
    EXPECT_EQ(EndMessage(12, 3145728), L"Task complete Successfully! Cleaned Registry Keys: 12 Released HD Space:3.00MB");
    EXPECT_EQ(EndMessage(0, 1048576), L"Task complete Successfully! Cleaned Registry Keys: 0 Released HD Space:1.00MB");
    EXPECT_EQ(PopupDescription(3, 500000),
              L"Norvale System Cleaner Clean is done! Cleaned Registry Keys: 3 Released HD Space:0.48MB");
    EXPECT_EQ(windows::LegacyTempFolder(L"C:\\Documents and Settings\\ann\\Local Settings\\Application Data"),
              L"C:\\Documents and Settings\\ann\\Local Settings\\temp");
    EXPECT_EQ(windows::LegacyTempFolder(L"C:\\Users\\ann\\AppData\\Local"), L"");
    EXPECT_EQ(windows::LegacyTempFolder(L"C:\\x\\application data"), L"");
}

}  // namespace

namespace {

using nvtest::EnvVar;

TEST_F(CleanRun, TempItemOnTheOlderProfileLayout) {
    env_.localAppData = data_ / L"Local Settings\\Application Data";
    nvtest::WriteFile(data_ / L"Local Settings\\temp\\a.tmp", 100);
    nvtest::WriteFile(data_ / L"Local Settings\\temp\\sub\\b.tmp", 50);
    nvtest::WriteFile(data_ / L"Windows\\temp\\c.tmp", 200);
    nvtest::WriteFile(data_ / L"envtemp\\d.tmp", 300);
    nvtest::WriteFile(data_ / L"Local Settings\\Application Data\\keep.dat", 7);
    EnvVar temp(L"TEMP", data_ / L"envtemp");
    Select(L"WINDOWS", {L"temp"});

    Run(true);
    EXPECT_EQ(counters_.bytes, 650);
    EXPECT_TRUE(nvtest::Exists(data_ / L"Local Settings\\temp\\sub\\b.tmp"));

    Run();
    EXPECT_EQ(counters_.bytes, 650);
    EXPECT_EQ(Option(L"filesize"), L"650");
    for (const wchar_t* f : {L"Local Settings\\temp", L"Windows\\temp", L"envtemp"}) {
        EXPECT_TRUE(nvtest::IsDir(data_ / f)) << nvtest::Narrow(f);  // emptied, not removed
    }
    EXPECT_FALSE(nvtest::Exists(data_ / L"Local Settings\\temp\\sub"));
    EXPECT_FALSE(nvtest::Exists(data_ / L"Windows\\temp\\c.tmp"));
    EXPECT_FALSE(nvtest::Exists(data_ / L"envtemp\\d.tmp"));
    EXPECT_TRUE(nvtest::Exists(data_ / L"Local Settings\\Application Data\\keep.dat"));
}

TEST_F(CleanRun, TempItemOnTheNewerLayoutSkipsTheProfileTemp) {
    env_.localAppData = data_ / L"AppData\\Local";
    nvtest::WriteFile(data_ / L"AppData\\temp\\stays.tmp", 10);
    nvtest::WriteFile(data_ / L"Windows\\temp\\c.tmp", 200);
    EnvVar temp(L"TEMP", data_ / L"envtemp");
    nvtest::MakeDirs(data_ / L"envtemp");
    Select(L"WINDOWS", {L"temp"});
    Run();
    EXPECT_EQ(counters_.bytes, 200);
    EXPECT_TRUE(nvtest::Exists(data_ / L"AppData\\temp\\stays.tmp"));
}

TEST_F(CleanRun, UnknownFoldersAreNeverTouched) {
    // Base folders that could not be read stay unknown: nothing is done
    // relative to the current directory or anywhere else.
    env_ = Environment{};
    EnvVar temp(L"TEMP", L"");
    nvtest::WriteFile(data_ / L"temp\\x.tmp", 10);
    SetCurrentDirectoryW(data_.path().c_str());
    Select(L"WINDOWS", {L"temp", L"searchfolders"});
    Run();
    EXPECT_EQ(counters_.bytes, 0);
    EXPECT_TRUE(nvtest::Exists(data_ / L"temp\\x.tmp"));
    SetCurrentDirectoryW(L"C:\\");
}

TEST_F(CleanRun, RecycleBinCountsTheOldRecycledFolder) {
    nvtest::WriteFile(L"C:\\RECYCLED\\DC1.txt", 500);
    Select(L"WINDOWS", {L"recycle"});
    Run();
    EXPECT_EQ(counters_.bytes, 500);
    EXPECT_EQ(counters_.regCount, 1);
    nvtest::RemoveTree(L"C:\\RECYCLED");
}

}  // namespace
