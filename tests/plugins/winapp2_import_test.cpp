// Import of a Winapp2.ini file: the hand-written sample with every
// construct, what each plug-in holds, re-import keeping ticks and sparing
// other plug-ins, and files that are refused with nothing written.
#include "plugins/winapp2_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "foundation/app_path.h"
#include "foundation/run_lock.h"
#include "planted_links.h"
#include "sandbox.h"
#include "plugins/plugin_files.h"
#include "winapp2_sample.h"

using namespace nv;

namespace {

class Winapp2Import : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(app_.path());
        nvtest::MakeDirs(*folders_.appData + L"\\NvW2Demo\\Profile 1");
        nvtest::MakeDirs(*folders_.appData + L"\\NvW2 Files, Inc");
        nvtest::CreateKey(HKEY_CURRENT_USER, L"Software\\NorvaleW2\\Demo");
    }
    void TearDown() override {
        nvtest::DeleteTree(HKEY_CURRENT_USER, L"Software\\NorvaleW2");
        SetAppFolderForTests(L"");
    }
    winapp2::Result Import(const std::string& text) {
        nvtest::WriteText(data_ / L"sample.ini", text);
        return winapp2::Import(data_ / L"sample.ini", plugins::PluginFolder(), folders_);
    }
    std::map<std::wstring, plugins::Plugin> ByName() {
        std::map<std::wstring, plugins::Plugin> out;
        for (auto& p : plugins::Installed()) out.emplace(p.name, p);
        return out;
    }
    // Every file of the plug-in folder with its bytes.
    std::map<std::wstring, std::string> Snapshot() {
        std::map<std::wstring, std::string> out;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((plugins::PluginFolder() + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return out;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                out[fd.cFileName] = nvtest::ReadText(plugins::PluginFolder() + L"\\" + fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return out;
    }

    nvtest::ScratchDir app_{L"w2app"};
    nvtest::ScratchDir data_{L"w2data"};
    pathvars::Folders folders_{data_ / L"Roaming", data_ / L"Local"};
};

TEST_F(Winapp2Import, EveryConstructOfTheSample) {
    const std::string mine = "[name]\r\nappname=Mine\r\n[swich]\r\non=1\r\n[folder]\r\n1=C:\\Mine,\\Cache\r\n";
    nvtest::WriteText(plugins::PluginFolder() + L"\\mine.ppe", mine);
    const std::string also = "[name]\r\nappname=Also mine\r\n";
    nvtest::WriteText(plugins::PluginFolder() + L"\\Winapp2 - Registry Only.ppe", also);  // the user's, same name

    auto r = Import(nvtest::kWinapp2Sample);
    ASSERT_FALSE(r.refused) << nvtest::Narrow(r.error);
    EXPECT_EQ(winapp2::Summary(r, L"reasons on standard error"),
              L"Imported 3 of 13 entries (3 not on this machine, 7 skipped: reasons on standard error)");
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> reasons = {
        {L"Unknown Flag *: nothing left to clean: FileKey1: unknown flag: RECURSIVE", nullptr},
        {L"Registry Wildcard *: nothing left to clean: RegKey1: wildcards in a registry key", nullptr},
        {L"Bad Variable *: FileKey1: unknown variable %NoSuchVariable%", nullptr},
        {L"Unknown Key *: unknown key CleanEverything", nullptr},
        {L"Protected Folder *: nothing left to clean: FileKey1: refused: a protected folder", nullptr},
        {L"Nothing To Clean *: nothing to clean", nullptr},
        {L"Half Exclusion *: ExcludeKey1: unknown variable %NoSuchVariable%", nullptr},
    };
    ASSERT_EQ(r.skipped.size(), reasons.size());
    for (size_t i = 0; i < reasons.size(); ++i)
        EXPECT_EQ(r.skipped[i].rfind(reasons[i].first, 0), 0u) << nvtest::Narrow(r.skipped[i]);
    EXPECT_TRUE(r.unwritten.empty());

    auto list = ByName();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(nvtest::ReadText(plugins::PluginFolder() + L"\\mine.ppe"), mine);
    EXPECT_EQ(nvtest::ReadText(plugins::PluginFolder() + L"\\Winapp2 - Registry Only.ppe"), also);
    const plugins::Plugin& demo = list.at(L"Demo Cache");
    EXPECT_EQ(demo.file, plugins::PluginFolder() + L"\\Winapp2 - Demo Cache.ppe");
    EXPECT_FALSE(demo.enabled);
    EXPECT_EQ(demo.description, L"Demo Cache 240101 from sample.ini, Applications");
    EXPECT_EQ(demo.extras.error, L"");
    EXPECT_EQ(demo.extras.detect.size(), 2u);
    ASSERT_EQ(demo.extras.filekeys.size(), 3u);
    EXPECT_EQ(demo.extras.filekeys[0].path, L"%AppData%\\NvW2Demo\\*\\Cache*");
    EXPECT_EQ(demo.extras.filekeys[2].scope, plugins::Scope::RemoveSelf);
    EXPECT_EQ(demo.extras.regkeys.size(), 2u);
    EXPECT_EQ(demo.extras.excludes.size(), 3u);
    EXPECT_EQ(demo.extras.source.version, L"240101");
    EXPECT_EQ(demo.extras.source.file, L"sample.ini");
    EXPECT_EQ(demo.extras.source.entry, L"Demo Cache *");
    EXPECT_EQ(demo.extras.source.licence, L"Licensed under CC-BY-SA-4.0 for this sample.");
    EXPECT_TRUE(demo.extras.Imported());
    const plugins::Plugin& files = list.at(L"Demo Files, Inc.");
    EXPECT_EQ(files.file, plugins::PluginFolder() + L"\\Winapp2 - Demo Files, Inc.ppe");
    EXPECT_EQ(files.extras.warning, L"This also deletes the drafts, if any.");
    EXPECT_EQ(files.extras.filekeys.at(0).path, L"%AppData%\\NvW2 Files, Inc\\Data");
    EXPECT_EQ(list.at(L"Registry Only").file, plugins::PluginFolder() + L"\\Winapp2 - Registry Only (2).ppe");
    for (const auto& [name, p] : list) EXPECT_TRUE(plugins::Detected(p.extras, folders_)) << nvtest::Narrow(name);
}

TEST_F(Winapp2Import, ImportingAgainReplacesEarlierImportsAndKeepsTheirTicks) {
    const std::string user = "[name]\r\nappname=Demo Cache\r\n[swich]\r\non=0\r\n";  // same name, not an import
    nvtest::WriteText(plugins::PluginFolder() + L"\\user.ppe", user);
    ASSERT_FALSE(Import(nvtest::kWinapp2Sample).refused);
    for (const auto& p : plugins::Installed())
        if (p.extras.Imported() && p.name == L"Demo Cache") {
            ASSERT_TRUE(plugins::WriteEnabled(p, true));
        }

    // The next version of the file: "Registry Only" is gone, "Demo Cache" changed.
    std::string next = nvtest::kWinapp2Sample;
    auto replace = [&](const std::string& from, const std::string& to) { next.replace(next.find(from), from.size(), to); };
    replace(next.substr(next.find("[Registry Only *]"), next.find("[Not Here *]") - next.find("[Registry Only *]")), "");
    replace("# of entries: 13", "# of entries: 12");
    replace("Version: 240101", "Version: 240202");
    replace("Logs|*.log;*.txt", "Logs|*.log");
    auto r = Import(next);
    ASSERT_FALSE(r.refused) << nvtest::Narrow(r.error);
    EXPECT_EQ(r.imported, 2);

    EXPECT_EQ(nvtest::ReadText(plugins::PluginFolder() + L"\\user.ppe"), user);
    EXPECT_FALSE(nvtest::Exists(plugins::PluginFolder() + L"\\Winapp2 - Registry Only.ppe"));
    int imports = 0;
    for (const auto& p : plugins::Installed()) {
        if (!p.extras.Imported()) continue;
        ++imports;
        EXPECT_EQ(p.version, L"240202");
        if (p.name == L"Demo Cache") {
            EXPECT_TRUE(p.enabled);
            EXPECT_EQ(p.extras.filekeys.at(1).patterns, std::vector<std::wstring>{L"*.log"});
        } else {
            EXPECT_FALSE(p.enabled) << nvtest::Narrow(p.name);
        }
    }
    EXPECT_EQ(imports, 2);
}

TEST_F(Winapp2Import, WhileARunHoldsTheLockNothingIsImported) {
    RunLock run;
    ASSERT_TRUE(run.held());
    auto r = Import(nvtest::kWinapp2Sample);
    EXPECT_TRUE(r.refused && r.busy);
    EXPECT_TRUE(Snapshot().empty());
}

TEST_F(Winapp2Import, FilesThatAreNoWinapp2FileAreRefusedWithNothingWritten) {
    ASSERT_FALSE(Import(nvtest::kWinapp2Sample).refused);
    const auto before = Snapshot();
    const std::string sample = nvtest::kWinapp2Sample;
    struct Case {
        std::string text;
        const wchar_t* reason;
    } cases[] = {
        {std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0", 12) + sample, L"binary data"},
        {sample.substr(0, sample.find("[Not Here *]")), L"truncated or damaged"},
        {sample.substr(0, sample.find("[Not Here *]") + 5), L"unfinished entry name"},
        {"[Options]\r\nbosskey=1\r\n[WINDOWS]\r\nrun=1\r\n", L"no entry has a FileKey or RegKey"},
        {"; only comments\r\n", L"holds no entries"},
        {"just some text\r\n" + sample, L"line 1 cannot be read"},
        {"[A *]\r\nFileKey1=%AppData%\\x|*.*\r\nthis line is no key\r\n", L"line 3 cannot be read"},
    };
    for (const Case& c : cases) {
        auto r = Import(c.text);
        EXPECT_TRUE(r.refused) << nvtest::Narrow(c.reason);
        EXPECT_NE(r.error.find(L"is not a Winapp2 file: "), std::wstring::npos) << nvtest::Narrow(r.error);
        EXPECT_NE(r.error.find(c.reason), std::wstring::npos) << nvtest::Narrow(r.error);
        EXPECT_EQ(Snapshot(), before) << nvtest::Narrow(c.reason);
    }
    auto r = winapp2::Import(data_ / L"missing.ini", plugins::PluginFolder(), folders_);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(Snapshot(), before);
}

// Links planted from the Linux side in place of earlier imports
// (tools/lib/plant-links.sh, case "imports"): their targets carry no
// checksum, so the import owns neither: both are left alone and reported,
// the entry is written beside them, and their targets stay.
TEST_F(Winapp2Import, EarlierImportsThatAreLinksNeverReachTheirTargets) {
    const std::wstring c = L"C:\\nvlinks\\imports";
    NEED_PLANTED(nvtest::Exists(c + L"\\target\\demo.ppe"));
    const std::string demo = nvtest::ReadText(c + L"\\target\\demo.ppe"), gone = nvtest::ReadText(c + L"\\target\\gone.ppe");
    nvtest::WriteText(data_ / L"w.ini", "[Demo *]\r\nFileKey1=C:\\nvlinks\\imports\\nothing|*.tmp\r\n");
    auto r = winapp2::Import(data_ / L"w.ini", c + L"\\plus-in", folders_);
    ASSERT_FALSE(r.refused) << nvtest::Narrow(r.error);
    EXPECT_EQ(r.imported, 1);
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\demo.ppe"), demo);
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\gone.ppe"), gone);
    EXPECT_NE(nvtest::ReadText(c + L"\\plus-in\\Winapp2 - Demo (2).ppe").find("[filekey]"), std::string::npos);
    EXPECT_TRUE(r.unwritten.empty());
    std::sort(r.leftAlone.begin(), r.leftAlone.end());
    EXPECT_EQ(r.leftAlone, (std::vector<std::wstring>{c + L"\\plus-in\\Winapp2 - Demo.ppe", c + L"\\plus-in\\Winapp2 - Gone.ppe"}));
    DeleteFileW((c + L"\\plus-in\\Winapp2 - Demo (2).ppe").c_str());
}

TEST(Winapp2Names, PluginFileNamesAreSafe) {
    struct Case {
        const wchar_t* entry;
        const wchar_t* file;
    } cases[] = {
        {L"Google Chrome", L"Winapp2 - Google Chrome"},
        {L"A/B: C*?\"<>|\\D", L"Winapp2 - A_B_ C_______D"},
        {L"CON", L"Winapp2 - CON"},
        {L"Trailing dots. . ", L"Winapp2 - Trailing dots"},
        {L"", L"Winapp2 - entry"},
        {L"\u4e2d\u6587 \U0001F600", L"Winapp2 - \u4e2d\u6587 \U0001F600"},
    };
    for (const Case& c : cases) EXPECT_EQ(winapp2::PluginFileName(c.entry), c.file) << nvtest::Narrow(c.entry);
    std::wstring longName(100, L'x');
    longName[79] = L'\xD83D';
    longName[80] = L'\xDE00';
    EXPECT_EQ(winapp2::PluginFileName(longName), L"Winapp2 - " + std::wstring(79, L'x'));
}

}  // namespace
