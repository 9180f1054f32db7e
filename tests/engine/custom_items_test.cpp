// The last two groups of a run: custom items from cusd.dat and the enabled
// plug-ins, their counts, rows and order, and the safety rules they share
// with the built-in items.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "planted_links.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "settings/custom_items_file.h"
#include "plugins/plugin_files.h"
#include "foundation/selection_profile.h"

using namespace nv;
using namespace nv::engine;
using nvtest::Exists;
using nvtest::RecordingSink;
using nvtest::RecordingView;

namespace {

class CustomRun : public nvtest::RunTest {
protected:
    void Plugin(const std::wstring& file, const std::string& text) { nvtest::WriteText(app_ / (L"plus-in\\" + file), text); }
    std::string A(const std::wstring& path) { return nvtest::Narrow(path); }
    // The result rows between the built-in groups and the final row.
    std::vector<RecordingView::Row> Rows() {
        return {view_.rows.begin(), view_.rows.end() - 1};
    }
};

TEST_F(CustomRun, CustomItemsByTheirKind) {
    const std::wstring d = data_ / L"c";
    nvtest::WriteFile(d + L"\\gone.txt", 1000);
    nvtest::WriteFile(d + L"\\folder\\a.bin", 300);
    nvtest::WriteFile(d + L"\\folder\\sub\\b.bin", 200);
    nvtest::WriteFile(d + L"\\lower.txt", 10);
    nvtest::WriteFile(d + L"\\asfile\\inner.txt", 20);
    nvtest::WriteFile(d + L"\\hidden.txt", 30);
    SetFileAttributesW((d + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    nvtest::WriteFile(d + L"\\readonly.txt", 400);
    SetFileAttributesW((d + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    nvtest::WriteFile(d + L"\\notab.txt", 40);
    cusd::Write({{d + L"\\gone.txt", L"File"},
                 {d + L"\\folder", L"Folder"},
                 {d + L"\\lower.txt", L"file"},       // letter case counts
                 {d + L"\\asfile", L"File"},          // a folder listed as a file
                 {d + L"\\hidden.txt", L"File"},      // the look-up does not see it
                 {d + L"\\readonly.txt", L"File"},    // stays, still counted
                 {d + L"\\missing.txt", L"File"},
                 {d + L"\\*.txt", L"File"}});         // a pattern names no file
    nvtest::WriteText(app_ / L"cusd.dat", nvtest::ReadText(app_ / L"cusd.dat") + A(d) + "\\notab.txt\r\n");
    profile::Write(L"Custom", L"Custom", L"1");

    Run(true);
    const double previewBytes = counters_.bytes;
    EXPECT_TRUE(Exists(d + L"\\gone.txt"));
    Run();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(view_.rows[0].item, L"Custom Item");
    EXPECT_EQ(view_.rows[0].status, L"Done");
    EXPECT_EQ(counters_.bytes, 1000 + 300 + 200 + 400);
    EXPECT_EQ(previewBytes, counters_.bytes);
    EXPECT_EQ(counters_.regCount, 0);
    EXPECT_FALSE(Exists(d + L"\\gone.txt"));
    EXPECT_FALSE(Exists(d + L"\\folder"));
    for (const wchar_t* kept : {L"\\lower.txt", L"\\asfile\\inner.txt", L"\\hidden.txt", L"\\readonly.txt", L"\\notab.txt"})
        EXPECT_TRUE(Exists(d + kept)) << nvtest::Narrow(kept);
    SetFileAttributesW((d + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(std::find(view_.progress.begin(), view_.progress.end(), 80), view_.progress.end());
}

TEST_F(CustomRun, CustomItemsNeedTheirGateAndFile) {
    nvtest::WriteFile(data_ / L"x.txt", 10);
    nvtest::WriteText(app_ / L"cusd.dat", A(data_ / L"x.txt") + "\tFile\r\n");
    profile::Write(L"Custom", L"Custom", L"01");  // the run's gate is the text test
    Run();
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(Exists(data_ / L"x.txt"));

    DeleteFileW((app_ / L"cusd.dat").c_str());
    profile::Write(L"Custom", L"Custom", L"1");
    Run();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(view_.rows[0].status, L"Fail, Can't find file!");
}

TEST_F(CustomRun, CustomItemsNeverGoThroughLinksOrIntoProtectedFolders) {
    const std::wstring c = L"C:\\nvlinks\\custom";
    NEED_PLANTED(Exists(c + L"\\tree\\real.txt"));
    nvtest::ScratchDir profileDir(L"profile");
    nvtest::WriteFile(profileDir / L"doc.txt", 5);
    nvtest::EnvVar profile(L"USERPROFILE", profileDir.path());
    cusd::Write({{c + L"\\tree\\flink.txt", L"File"},          // a link to a file
                 {c + L"\\tree\\dlink", L"Folder"},            // a link to a folder
                 {c + L"\\tree\\dlink\\inner.txt", L"File"},   // a file reached through a link
                 {c + L"\\toplink", L"Folder"},
                 {c + L"\\tree", L"Folder"},                   // real files go, links stay
                 {profileDir.path(), L"Folder"}});
    profile::Write(L"Custom", L"Custom", L"1");
    RecordingSink sink;
    Run(false, &sink);
    for (const wchar_t* kept : {L"\\target\\keep.txt", L"\\target\\dir\\inner.txt", L"\\target\\dir\\cache\\c.txt"})
        EXPECT_TRUE(Exists(c + kept)) << nvtest::Narrow(kept);
    EXPECT_FALSE(Exists(c + L"\\tree\\real.txt"));
    EXPECT_FALSE(Exists(c + L"\\tree\\sub\\real.txt"));
    EXPECT_TRUE(Exists(profileDir / L"doc.txt"));
    EXPECT_EQ(counters_.bytes, 10 + 20);
    EXPECT_GE(sink.Count(RemovalKind::Refused), 5u);
}

// A plug-in with one line of each kind of section, folder lines first in the
// file: registry lines still run first.
constexpr char kSample[] =
    "[name]\r\nappname=Sample\r\n[swich]\r\non=1\r\n"
    "[folder]\r\nf=appdata,\\Vendor\\Cache\r\n"
    "[fileext]\r\nx=localappdata,\\Vendor,log\r\n"
    "[file]\r\ny=localappdata,\\Vendor,state.dat,ignored extra field\r\n"
    "[reg]\r\nz=-2147483647,Software\\NorvaleTests\\Plug,val\r\n"
    "[regtree]\r\n1=-2147483647,Software\\NorvaleTests\\Plug\\Tree\r\n";

TEST_F(CustomRun, PluginRunsItsSectionsInFixedOrderWithItsFixedAmounts) {
    nvtest::WriteFile(env_.appData + L"\\Vendor\\Cache\\c1", 700);
    nvtest::WriteFile(env_.appData + L"\\Vendor\\Cache\\sub\\c2", 300);
    nvtest::WriteFile(env_.localAppData + L"\\Vendor\\a.log", 50);
    nvtest::WriteFile(env_.localAppData + L"\\Vendor\\b.LOG", 60);
    nvtest::WriteFile(env_.localAppData + L"\\Vendor\\keep.txt", 70);
    nvtest::WriteFile(env_.localAppData + L"\\Vendor\\state.dat", 80);
    nvtest::WriteFile(env_.localAppData + L"\\Vendor\\sub\\c.log", 90);  // the folder only, not below
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug\\Tree\\Sub", L"a", L"b");
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug", L"val", L"x");
    nvtest::SetString(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug", L"other", L"y");
    Plugin(L"Sample.ppe", kSample);
    Plugin(L"Off.ppe", "[name]\r\nappname=Off\r\n[swich]\r\non=0\r\n[folder]\r\nf=appdata,\\Vendor\r\n");

    RecordingSink previewSink;
    Run(true, &previewSink);
    const Counters preview = counters_;
    RecordingSink sink;
    Run(false, &sink);

    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(view_.rows[0].item, L"Sample");
    EXPECT_EQ(view_.rows[0].status, L"Done");
    EXPECT_EQ(counters_.regCount, 5 + 1 + 1);
    EXPECT_EQ(counters_.bytes, 50000 + 700 + 300 + 50 + 60 + 80);
    EXPECT_EQ(preview.regCount, counters_.regCount);
    EXPECT_EQ(preview.bytes, counters_.bytes);
    EXPECT_EQ(previewSink.lines, sink.lines);
    ASSERT_GE(sink.removals.size(), 2u);
    EXPECT_EQ(sink.removals[0].kind, RemovalKind::KeyTree);
    EXPECT_EQ(sink.removals[1].kind, RemovalKind::Value);
    EXPECT_EQ(sink.removals.back().kind, RemovalKind::Folder);

    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug\\Tree"));
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug", L"val"));
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug", L"other"));
    EXPECT_TRUE(nvtest::IsDir(env_.appData + L"\\Vendor\\Cache"));  // emptied and made again
    EXPECT_FALSE(Exists(env_.appData + L"\\Vendor\\Cache\\c1"));
    EXPECT_FALSE(Exists(env_.localAppData + L"\\Vendor\\a.log"));
    EXPECT_FALSE(Exists(env_.localAppData + L"\\Vendor\\b.LOG"));
    EXPECT_TRUE(Exists(env_.localAppData + L"\\Vendor\\keep.txt"));
    EXPECT_TRUE(Exists(env_.localAppData + L"\\Vendor\\sub\\c.log"));
    EXPECT_FALSE(Exists(env_.localAppData + L"\\Vendor\\state.dat"));
    nvtest::DeleteTree(HKEY_CURRENT_USER, L"Software\\NorvaleTests\\Plug");
}

TEST_F(CustomRun, PluginRootsAreNumbersInAnyOfTheirForms) {
    const std::wstring key = L"Software\\NorvaleTests\\Root";
    struct Case {
        const char* root;
        bool deletes;
        double keys;  // including the plug-in's own 1; one that removed nothing counts nothing
    } cases[] = {
        {"-2147483647", true, 6},     {"&H80000001", true, 6},   {"&h80000001", true, 6},
        {" - 2147483647 ", true, 6},  {"&O20000000001", true, 6}, {"-2147483647.4", true, 6},
        {"-2147483647xyz", true, 6},  {"2147483649", false, 0},  {"&H180000001", false, 0},
        {"0", false, 0},              {"abc", false, 0},         {"-2147483646", false, 0},  // HKLM: no such key
    };
    for (const Case& c : cases) {
        nvtest::CreateKey(HKEY_CURRENT_USER, key);
        Plugin(L"r.ppe", std::string("[swich]\r\non=1\r\n[regtree]\r\n1=") + c.root + ",Software\\NorvaleTests\\Root\r\n");
        Run();
        EXPECT_EQ(nvtest::KeyExists(HKEY_CURRENT_USER, key), !c.deletes) << c.root;
        EXPECT_EQ(counters_.regCount, c.keys) << c.root;
    }
    nvtest::DeleteTree(HKEY_CURRENT_USER, key);
}

TEST_F(CustomRun, PluginLinesAtProtectedTargetsAreRefusedAndChangeNothing) {
    nvtest::ScratchDir profileDir(L"profile");
    nvtest::WriteFile(profileDir / L"doc.dll", 5);
    nvtest::WriteFile(data_ / L"outside\\precious.txt", 6);
    nvtest::WriteFile(data_ / L"inside\\x.txt", 7);
    const std::wstring top = L"NorvaleTop-" + std::to_wstring(GetCurrentProcessId());
    nvtest::SetString(HKEY_CURRENT_USER, top, L"v", L"x");
    nvtest::EnvVar profile(L"USERPROFILE", profileDir.path());
    const std::string p = A(profileDir.path()), in = A(data_ / L"inside");
    Plugin(L"bad.ppe", "[swich]\r\non=1\r\n"
                       "[regtree]\r\n1=-2147483647," + A(top) + "\r\n2=&H80000001,\r\n"
                       "[reg]\r\n1=-2147483647," + A(top) + ",v\r\n"
                       "[folder]\r\n1=" + p + ",\r\n2=" + in + ",\\..\\outside\r\n3=" + in + ",\\ .. \\outside\r\n"
                       "[fileext]\r\n1=" + in + ",\\..\\outside,txt\r\n2=" + p + ",,dll\r\n");
    RecordingSink sink;
    Run(false, &sink);
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, top, L"v"));
    EXPECT_TRUE(Exists(profileDir / L"doc.dll"));  // a program file, even named by extension
    EXPECT_TRUE(Exists(data_ / L"outside\\precious.txt"));
    EXPECT_TRUE(Exists(data_ / L"inside\\x.txt"));
    EXPECT_EQ(sink.Count(RemovalKind::Refused), 8u);
    EXPECT_EQ(sink.removals.size(), 8u);
    // Refused lines count nothing, and a plug-in that removed nothing adds
    // nothing of its own.
    EXPECT_EQ(counters_.regCount, 0);
    EXPECT_EQ(counters_.bytes, 0);
    nvtest::DeleteTree(HKEY_CURRENT_USER, top);
}

TEST_F(CustomRun, PluginListIsReadFromTheFilesAndRunsEachFileItself) {
    nvtest::WriteFile(data_ / L"one\\a", 11);
    nvtest::WriteFile(data_ / L"two\\b", 22);
    // Its file is not named after it: the run still executes this very file.
    Plugin(L"Renamed.PPE", "[name]\r\nappname=Original\r\n[swich]\r\non=1 \r\n[folder]\r\n1=" + A(data_ / L"one") + ",\r\n");
    Plugin(L"zeroone.ppe", "[swich]\r\non=01\r\n[folder]\r\n1=" + A(data_ / L"two") + ",\r\n");
    Plugin(L"text.ppe.txt", "[swich]\r\non=1\r\n[folder]\r\n1=" + A(data_ / L"two") + ",\r\n");
    Plugin(L"short.ppe", "[swich]\r\non=1\r\n[regtree]\r\n1=-2147483647\r\n[folder]\r\n1=nothing-after-base\r\n");
    Run();
    ASSERT_EQ(Rows().size(), 2u);
    std::vector<std::wstring> names = {view_.rows[0].item, view_.rows[1].item};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Original", L"short"}));
    EXPECT_FALSE(Exists(data_ / L"one\\a"));
    EXPECT_TRUE(Exists(data_ / L"two\\b"));
    EXPECT_EQ(counters_.regCount, 1);  // "short" removed nothing
    EXPECT_EQ(counters_.bytes, 50000 + 11);
    EXPECT_EQ(view_.progress[view_.progress.size() - 2], 97);
}

}  // namespace

namespace {

// Names a hostile or careless user can hand the run: non-ANSI names, names
// ending in a dot or a blank beside the name without it, a file held open.
TEST_F(CustomRun, OddNamesAndLockedFilesNeverHitTheWrongFile) {
    const std::wstring d = data_ / L"odd";
    const std::wstring cjk = d + L"\\\u4e2d\u6587\\\U0001F600.txt", plain = d + L"\\trail", held = d + L"\\held.bin";
    nvtest::WriteFile(cjk, 10);
    nvtest::WriteFile(plain, 20);
    nvtest::WriteFile(held, 40);
    nvtest::WriteFile(d + L"\\after.txt", 80);
    ScopedFile dotted(CreateFileW((L"\\\\?\\" + d + L"\\trail.").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    dotted.reset();
    ScopedFile lock(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    cusd::Write({{cjk, L"File"}, {d + L"\\trail.", L"File"}, {d + L"\\trail ", L"File"}, {held, L"File"},
                 {d + L"\\after.txt", L"File"}});
    profile::Write(L"Custom", L"Custom", L"1");
    // A plug-in naming a folder the code page cannot hold is a UTF-16 file.
    nvtest::WriteFile(d + L"\\\u00e9\u4e2d\\c.bin", 160);
    std::wstring text = L"\xFEFF[swich]\r\non=1\r\n[folder]\r\n1=" + d + L",\\\u00e9\u4e2d\r\n";
    Plugin(L"u.ppe", std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));

    Run();
    EXPECT_FALSE(Exists(cjk));
    EXPECT_TRUE(Exists(plain));  // "trail." and "trail " never stand for "trail"
    EXPECT_TRUE(Exists(held));   // in use: stays, still counted
    EXPECT_FALSE(Exists(d + L"\\after.txt"));
    EXPECT_FALSE(Exists(d + L"\\\u00e9\u4e2d\\c.bin"));
    EXPECT_TRUE(nvtest::IsDir(d + L"\\\u00e9\u4e2d"));
    // Writing its tick keeps the plug-in UTF-16, so its paths survive.
    ASSERT_TRUE(plugins::WriteEnabled(plugins::Installed().at(0), false));
    EXPECT_EQ(nvtest::ReadText(app_ / L"plus-in\\u.ppe").substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(plugins::Installed().at(0).Commands().at(0).fields.at(1), L"\\\u00e9\u4e2d");
    EXPECT_EQ(counters_.bytes, 50000 + 10 + 40 + 80 + 160);  // "trail." is empty
}

}  // namespace
