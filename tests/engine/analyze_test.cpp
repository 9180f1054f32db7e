// Analyze and run details: the listing behind the details view, the row
// estimates, and Analyze against the clean that follows it.
#include <gtest/gtest.h>

#include "../foundation/erase_helpers.h"
#include "engine/cleaning_run.h"
#include "engine/run_details.h"
#include "foundation/app_path.h"
#include "foundation/secure_erase.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "settings/custom_items_file.h"
#include "foundation/selection_profile.h"

using namespace nv;
using namespace nv::engine;
using nvtest::RecordingView;

namespace {

RowTally Tally(std::initializer_list<std::pair<RemovalKind, double>> events) {
    RowTally t;
    for (const auto& [kind, bytes] : events) t.Add(kind, bytes);
    return t;
}

TEST(RunDetailsTexts, EstimatesSayWhatACleanWouldDo) {
    using K = RemovalKind;
    const struct {
        RowTally tally;
        const wchar_t* text;
    } cases[] = {
        {{}, L"Nothing to clean"},
        {Tally({{K::File, 1000000}, {K::File, 2565120}}), L"2 files, 3.40 MB"},
        {Tally({{K::File, 1}}), L"1 file, 1 byte"},
        {Tally({{K::Folder, 0}}), L"1 folder, 0 bytes"},
        {Tally({{K::Key, 0}, {K::KeyTree, 0}, {K::Value, 0}, {K::Value, 0}, {K::Value, 0}}), L"5 registry entries"},
        {Tally({{K::IniSection, 0}, {K::File, 2048}}), L"1 file, 2.00 KB, 1 INI section"},
        {Tally({{K::Command, 0}}), L"Will ask the browser to clear"},
        {Tally({{K::AtReboot, 0}, {K::AtReboot, 0}}), L"Marked for deletion at restart"},
        {Tally({{K::RecycleBin, 3 * 1073741824.0}}), L"3.00 GB; will empty the Recycle Bin"},
        {Tally({{K::Clipboard, 0}, {K::RecentDocs, 0}}), L"Will empty the clipboard; will clear the recent documents list"},
        {Tally({{K::Value, 0}, {K::Refused, 0}, {K::Refused, 0}}),
         L"1 registry entry; 2 targets left alone (link or protected)"},
    };
    for (const auto& c : cases) EXPECT_EQ(EstimateText(c.tally), c.text);
    EXPECT_EQ(SizeText(1023), L"1023 bytes");
    EXPECT_EQ(SizeText(1048575), L"1024.00 KB");
}

TEST(RunDetailsListing, KeepsEveryTargetExactlyAndRowByRow) {
    const std::wstring targets[] = {
        L"C:\\a\\b\\f.txt", L"C:\\a\\b\\g.txt", L"C:\\a\\b c\\h", L"\\\\server\\share\\x", L"C:\\",
        L"",               L"rundll32.exe InetCpl.cpl,ClearMyTracksByProcess 8",
        L"HKEY_CURRENT_USER\\Software\\X\\\\double", L"C:\\\x65e5\x672c\\\xe9t\xe9 .txt", L"C:\\a\\b",
    };
    RunDetails d(false, false);
    d.OnRemoval({RemovalKind::File, L"C:\\before\\rows", 1});  // before any row: listed, in no row
    d.BeginRow(L"one");
    for (int i = 0; i < 4; ++i) d.OnRemoval({RemovalKind::File, targets[i], 10.0 * (i + 1)});
    d.BeginRow(L"two");
    for (int i = 4; i < 10; ++i) d.OnRemoval({i == 9 ? RemovalKind::Folder : RemovalKind::Refused, targets[i], 0});
    d.BeginRow(L"empty");
    d.EndItems();
    d.BeginRow(L"Task complete Successfully!");

    ASSERT_EQ(d.TargetCount(), 11u);
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(d.Target(i + 1), targets[i]) << i;
    ASSERT_EQ(d.RowCount(), 4u);
    EXPECT_EQ(d.row(0).first, 1u);
    EXPECT_EQ(d.row(0).last, 5u);
    EXPECT_EQ(d.row(0).tally.files, 4u);
    EXPECT_EQ(d.row(0).tally.bytes, 100);
    EXPECT_EQ(d.row(1).tally.refused, 5u);
    EXPECT_EQ(d.row(1).tally.folders, 1u);
    EXPECT_EQ(d.row(2).first, d.row(2).last);
    EXPECT_TRUE(d.row(3).wholeRun);
    EXPECT_EQ(d.row(3).first, 0u);
    EXPECT_EQ(d.row(3).last, 11u);
    EXPECT_EQ(d.total().files, 5u);
    EXPECT_FALSE(d.truncated());

    // Path order: a folder's own subfolders come right after it.
    std::vector<size_t> order = {1, 2, 3, 4, 10, 5};
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return d.PathBefore(a, b); });
    std::vector<std::wstring> sorted;
    for (size_t i : order) sorted.push_back(d.Target(i));
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"\\\\server\\share\\x", L"C:\\", L"C:\\a\\b", L"C:\\a\\b\\f.txt",
                                                 L"C:\\a\\b\\g.txt", L"C:\\a\\b c\\h"}));

    // A full listing stops; the tallies go on counting.
    RunDetails small(true, false, 2);
    small.BeginRow(L"row");
    for (int i = 0; i < 5; ++i) small.OnRemoval({RemovalKind::File, L"C:\\x\\f" + std::to_wstring(i), 1});
    EXPECT_EQ(small.TargetCount(), 2u);
    EXPECT_TRUE(small.truncated());
    EXPECT_EQ(small.row(0).tally.files, 5u);
    EXPECT_EQ(small.row(0).last, 2u);
}

TEST(RunDetailsListing, FatesBelongToTheirTargetsAndSayWhy) {
    RunDetails d(false, true);
    d.BeginRow(L"row");
    d.OnRemoval({RemovalKind::File, L"C:\\c\\held.dat", 10});
    d.OnFate(L"C:\\c\\held.dat", 10, Fate::InUse);
    d.OnRemoval({RemovalKind::File, L"C:\\c\\gone.dat", 20});
    d.OnRemoval({RemovalKind::File, L"C:\\c\\hard.dat", 30});
    d.OnFate(L"C:\\c\\hard.dat", 30, Fate::KeptOtherNames);
    // A file inside a folder being removed is heard only by its fate.
    d.OnFate(L"C:\\c\\f\\ro.dat", 40, Fate::ReadOnly);
    d.OnRemoval({RemovalKind::Folder, L"C:\\c\\f", 140});
    d.OnRemoval({RemovalKind::Refused, L"C:\\c\\link", 0});
    d.OnFate(L"C:\\c\\link", 0, Fate::Link);
    d.OnRemoval({RemovalKind::Refused, L"HKEY_CURRENT_USER\\Software", 0});
    d.OnFate(L"HKEY_CURRENT_USER\\Software", 0, Fate::Protected);

    ASSERT_EQ(d.TargetCount(), 7u);
    std::vector<std::wstring> results;
    for (size_t i = 0; i < d.TargetCount(); ++i) results.push_back(d.Target(i) + L": " + ResultText(d, i));
    EXPECT_EQ(results, (std::vector<std::wstring>{
                           L"C:\\c\\held.dat: Left: in use by another program",
                           L"C:\\c\\gone.dat: Removed (secure)",
                           L"C:\\c\\hard.dat: Removed, not overwritten: other hard links keep its content",
                           L"C:\\c\\f\\ro.dat: Left: read-only",
                           L"C:\\c\\f: Removed (secure)",
                           L"C:\\c\\link: Left: a link, not followed",
                           L"HKEY_CURRENT_USER\\Software: Left: protected, refused",
                       }));
    const RowTally& t = d.row(0).tally;
    EXPECT_EQ(t.files, 3u);  // the inner file is part of its folder's count
    EXPECT_EQ(t.folders, 1u);
    EXPECT_EQ(t.bytes, 200);
    EXPECT_EQ(t.left, 2u);
    EXPECT_EQ(t.readOnly, 1u);
    EXPECT_EQ(t.notOverwritten, 1u);
    EXPECT_EQ(t.refused, 2u);

    RunDetails preview(true, false);
    preview.BeginRow(L"row");
    preview.OnRemoval({RemovalKind::File, L"C:\\ro.dat", 5});
    preview.OnFate(L"C:\\ro.dat", 5, Fate::ReadOnly);
    EXPECT_EQ(ResultText(preview, 0), L"Will stay: read-only");
    EXPECT_EQ(EstimateText(preview.row(0).tally), L"1 file, 5 bytes; 1 read-only file will stay");
}

// Analyze on prepared data, then the clean: the same rows, counts that
// agree target for target, and nothing changed by the Analyze.
class AnalyzeRun : public nvtest::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        nvtest::WriteFile(data_ / L"envtemp\\a.tmp", 1000);
        nvtest::WriteFile(data_ / L"envtemp\\sub\\b.tmp", 2000);
        nvtest::WriteFile(data_ / L"Windows\\temp\\c.tmp", 300);
        nvtest::WriteFile(data_ / L"custom\\one.txt", 40);
        nvtest::WriteFile(data_ / L"custom\\dir\\x.bin", 5000);
        nvtest::WriteFile(data_ / L"custom\\dir\\y\\z.bin", 6000);
        nvtest::WriteFile(data_ / L"plug\\p.dat", 700);
        nvtest::SetString(HKEY_CURRENT_USER, key_.sub() + L"\\Tree\\Sub", L"v", L"x");
        nvtest::SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"notepad\\1");
        nvtest::WriteText(app_ / L"plus-in\\p.ppe",
                          "[name]\r\nappname=Plug\r\n[swich]\r\non=1\r\n[regtree]\r\n1=&H80000001," +
                              nvtest::Narrow(key_.sub()) + "\\Tree\r\n[folder]\r\n1=" + nvtest::Narrow(data_ / L"plug") +
                              ",\r\n");
        cusd::Write({{data_ / L"custom\\one.txt", L"File"}, {data_ / L"custom\\dir", L"Folder"},
                     {data_ / L"custom\\gone.txt", L"File"}});
        for (const wchar_t* k : {L"run", L"temp", L"search"})
            Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", k, L"1");
        Inifun::WriteIniValue(profile::ProfilePath(), L"Custom", L"Custom", L"1");
    }
    void TearDown() override {
        nvtest::DeleteTree(HKEY_CURRENT_USER, kRunMru);
        RunTest::TearDown();
    }

    RunEnd Run(DetailsView::Mode mode, RunDetails& details, RecordingView& view, const bool* cancel = nullptr) {
        DetailsView front(view, details, mode);
        RunOptions o;
        o.preview = mode == DetailsView::Mode::Analyze;
        o.sink = &details;
        o.cancel = cancel;
        Counters c;
        int unattended = 0;
        RunEnd end = CleanNow(front, env_, c, unattended, o);
        counters_ = c;
        return end;
    }
    const std::wstring kRunMru = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    nvtest::TestKey key_{L"analyze"};
    nvtest::EnvVar temp_{L"TEMP", data_ / L"envtemp"};
};

TEST_F(AnalyzeRun, ShowsWhatTheFollowingCleanRemovesAndChangesNothing) {
    const std::string profileBefore = nvtest::ReadText(profile::ProfilePath());
    const auto filesBefore = erasetest::Snapshot(data_.path());

    RecordingView analyzeView;
    RunDetails analyzed(true, false);
    EXPECT_EQ(Run(DetailsView::Mode::Analyze, analyzed, analyzeView), RunEnd::Completed);
    const Counters estimate = counters_;

    const std::vector<std::wstring> labels = {L"Start Menu Run History", L"Start Menu Search History",
                                              L"Windows Temp", L"Custom Item", L"Plug"};
    std::vector<std::wstring> rows = labels;
    rows.push_back(kAnalysisComplete);
    EXPECT_EQ(analyzeView.Labels(), rows);
    const std::vector<std::wstring> statuses = {
        L"1 registry entry",       L"Nothing to clean", L"3 files, 2 folders, 3.22 KB",
        L"1 file, 1 folder, 10.78 KB", L"1 folder, 700 bytes, 1 registry entry",
        L"4 files, 4 folders, 14.69 KB, 2 registry entries"};
    for (size_t i = 0; i < statuses.size(); ++i) EXPECT_EQ(analyzeView.rows[i].status, statuses[i]) << i;
    EXPECT_EQ(analyzeView.action, L"Analysis complete: nothing has been removed.");
    EXPECT_TRUE(analyzeView.announced.empty());
    EXPECT_TRUE(analyzeView.notified.empty());
    EXPECT_TRUE(analyzeView.totals.empty());
    // Nothing deleted, created, started or written.
    EXPECT_EQ(nvtest::ReadText(profile::ProfilePath()), profileBefore);
    EXPECT_EQ(erasetest::Snapshot(data_.path()), filesBefore);
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, key_.sub() + L"\\Tree\\Sub"));
    EXPECT_TRUE(launcher_.started.empty());

    RecordingView cleanView;
    RunDetails cleaned(false, false);
    EXPECT_EQ(Run(DetailsView::Mode::Clean, cleaned, cleanView), RunEnd::Completed);
    rows = labels;
    rows.push_back(kTaskComplete);
    EXPECT_EQ(cleanView.Labels(), rows);
    for (size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(cleanView.rows[i].status, L"Done") << i;
    ASSERT_EQ(cleanView.announced.size(), 1u);
    EXPECT_EQ(counters_.regCount, estimate.regCount);
    EXPECT_EQ(counters_.bytes, estimate.bytes);

    // Row by row and target by target, the clean heard what Analyze listed.
    ASSERT_EQ(cleaned.RowCount(), analyzed.RowCount());
    for (size_t r = 0; r < labels.size(); ++r) {
        EXPECT_EQ(EstimateText(cleaned.row(r).tally), EstimateText(analyzed.row(r).tally)) << r;
        EXPECT_EQ(cleaned.row(r).tally.bytes, analyzed.row(r).tally.bytes) << r;
    }
    ASSERT_EQ(cleaned.TargetCount(), analyzed.TargetCount());
    for (size_t i = 0; i < cleaned.TargetCount(); ++i) {
        EXPECT_EQ(cleaned.Target(i), analyzed.Target(i));
        EXPECT_EQ(cleaned.Kind(i), analyzed.Kind(i));
    }
    EXPECT_FALSE(nvtest::Exists(data_ / L"custom\\dir"));
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, kRunMru));
}

TEST_F(AnalyzeRun, CancelEndsWithoutABoxAndWritesNothing) {
    const std::string profileBefore = nvtest::ReadText(profile::ProfilePath());
    bool cancel = false;
    RecordingView view;
    // Pressed while the custom items start: the rows before them are whole.
    view.onShowStatus = [&](const std::wstring& label) { cancel = label == L"Custom Item"; };
    RunDetails details(true, false);
    EXPECT_EQ(Run(DetailsView::Mode::Analyze, details, view, &cancel), RunEnd::Cancelled);
    EXPECT_EQ(view.Labels(), (std::vector<std::wstring>{L"Start Menu Run History", L"Start Menu Search History",
                                                        L"Windows Temp", L"Custom Item", kAnalysisCancelled}));
    EXPECT_EQ(view.rows[2].status, L"3 files, 2 folders, 3.22 KB");
    EXPECT_EQ(view.action, L"Analysis cancelled: nothing has been removed.");
    EXPECT_TRUE(view.announced.empty());
    EXPECT_TRUE(view.notified.empty());
    EXPECT_EQ(nvtest::ReadText(profile::ProfilePath()), profileBefore);
    EXPECT_TRUE(nvtest::Exists(data_ / L"envtemp\\a.tmp"));
}

TEST_F(AnalyzeRun, ARowWithNothingToDoKeepsTheRunsOwnReason) {
    nvtest::RemoveTree(app_ / L"cusd.dat");
    RecordingView view;
    RunDetails details(true, false);
    Run(DetailsView::Mode::Analyze, details, view);
    ASSERT_GE(view.rows.size(), 4u);
    EXPECT_EQ(view.rows[3].item, L"Custom Item");
    EXPECT_EQ(view.rows[3].status, L"Fail, Can't find file!");
}

TEST_F(AnalyzeRun, SecureCleanOverwritesAndTheDetailsSayWhatStayed) {
    Inifun::WriteIniValue(profile::ProfilePath(), L"Options", L"securely", L"1");
    ASSERT_TRUE(SecureDeletionOn());
    const std::wstring held = data_ / L"envtemp\\a.tmp";
    ScopedFile hold(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold);
    int overwrites = 0;
    erasefs::detail::SetOverwrittenHook([&] { ++overwrites; });

    RecordingView analyzeView;
    RunDetails analyzed(true, SecureDeletionOn());
    Run(DetailsView::Mode::Analyze, analyzed, analyzeView);
    EXPECT_EQ(overwrites, 0);
    for (size_t i = 0; i < analyzed.TargetCount(); ++i)
        EXPECT_EQ(ResultText(analyzed, i), analyzed.Kind(i) == RemovalKind::File || analyzed.Kind(i) == RemovalKind::Folder
                                               ? L"To be removed (secure)"
                                               : L"To be removed");

    RecordingView cleanView;
    RunDetails cleaned(false, true);
    Run(DetailsView::Mode::Clean, cleaned, cleanView);
    erasefs::detail::SetOverwrittenHook(nullptr);
    // b.tmp, c.tmp, one.txt, x.bin, z.bin and the plug-in's p.dat.
    EXPECT_EQ(overwrites, 6);
    for (size_t i = 0; i + 1 < cleanView.rows.size(); ++i) EXPECT_EQ(cleanView.rows[i].status, L"Done");
    size_t heldLines = 0;
    for (size_t i = 0; i < cleaned.TargetCount(); ++i) {
        if (cleaned.Target(i) != held) continue;
        ++heldLines;
        EXPECT_EQ(ResultText(cleaned, i), L"Left: in use by another program");
    }
    EXPECT_EQ(heldLines, 2u);  // by the temp item's two steps
    hold.reset();
    EXPECT_EQ(nvtest::ReadText(held), std::string(1000, 'x'));
}

// A plug-in row counts the lines the rules refused, in the window, in
// Analyze's estimate and in the details, as "Done" plus "N lines refused".
TEST_F(AnalyzeRun, APluginRowCountsItsRefusedLines) {
    nvtest::WriteText(app_ / L"plus-in\\p.ppe",
                      "[name]\r\nappname=Plug\r\n[swich]\r\non=1\r\n[regtree]\r\n1=&H80000002,SOFTWARE\r\n[folder]\r\n"
                      "1=C:\\,\r\n2=" + nvtest::Narrow(data_ / L"plug") + ",\r\n");
    for (auto mode : {DetailsView::Mode::Analyze, DetailsView::Mode::Clean}) {
        RecordingView view;
        RunDetails details(mode == DetailsView::Mode::Analyze, false);
        Run(mode, details, view);
        ASSERT_EQ(view.rows.size(), 6u);
        EXPECT_EQ(view.rows[4].item, L"Plug");
        EXPECT_EQ(view.rows[4].status, mode == DetailsView::Mode::Clean
                                           ? L"Done, 2 lines refused"
                                           : L"1 folder, 700 bytes; 2 targets left alone (link or protected); 2 lines refused");
        EXPECT_EQ(details.row(4).note, L"2 lines refused");
        EXPECT_EQ(details.row(3).note, L"");
    }
    EXPECT_FALSE(nvtest::Exists(data_ / L"plug\\p.dat"));
}

}  // namespace
