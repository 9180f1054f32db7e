#include "shell/cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "sandbox.h"
#include "foundation/selection_profile.h"

using namespace nv;

namespace {

std::vector<std::string> g_lines, g_errors;
void Collect(const std::string& line) { g_lines.push_back(line); }
void CollectError(const std::string& line) { g_errors.push_back(line); }

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        g_lines.clear();
        g_errors.clear();
        cli::SetWriters(Collect, CollectError);
    }
    void TearDown() override {
        cli::SetWriters(nullptr, nullptr);
        SetAppFolderForTests(L"");
    }
    nvtest::ScratchDir dir_{L"cli"};
};

const std::wstring kRunMru = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

TEST_F(CommandLine, OtherArgumentsAreForTheWindow) {
    for (const wchar_t* args : {L"", L"  ", L"min", L"MIN", L"min ", L"\"min\"", L"x-y", L"C:\\a/b"})
        EXPECT_FALSE(cli::Run(args).has_value()) << nvtest::Narrow(args);
    EXPECT_TRUE(g_lines.empty());
    EXPECT_TRUE(g_errors.empty());
}

// Anything that looks like a switch and is not exactly one ends at once
// with the usage on standard error: a script never waits for a window.
TEST_F(CommandLine, UsageAndBadSwitches) {
    for (const wchar_t* args : {L"/?", L"\"/?\"", L"/?   ", L"-H", L"/help"}) {
        g_lines.clear();
        EXPECT_EQ(cli::Run(args), 0) << nvtest::Narrow(args);
        ASSERT_GT(g_lines.size(), 1u);
        EXPECT_NE(g_lines[1].find("/clean"), std::string::npos);
    }
    EXPECT_TRUE(g_errors.empty());
    for (const wchar_t* args : {L"/cleen", L"\"/clean extra\"", L"\" /clean\"", L"\"/clean\t\"", L"/clean extra",
                                L"/clean /preview", L"min /clean", L"-", L"\"-preview \""}) {
        g_lines.clear();
        g_errors.clear();
        EXPECT_EQ(cli::Run(args), 1) << nvtest::Narrow(args);
        EXPECT_TRUE(g_lines.empty()) << nvtest::Narrow(args);
        ASSERT_GT(g_errors.size(), 2u) << nvtest::Narrow(args);
        EXPECT_EQ(g_errors[0].rfind("Unknown switch: ", 0), 0u);
    }
}

TEST_F(CommandLine, PreviewListsTargetsRowsAndTotalsAndTouchesNothing) {
    nvtest::WriteText(dir_ / L"prisd.dat", "[WINDOWS]\r\nrun=1\r\nclip=1\r\n");
    nvtest::SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"cmd\\1");
    std::string before = nvtest::ReadText(dir_ / L"prisd.dat");
    EXPECT_EQ(cli::Run(L"/preview"), 0);
    std::vector<std::string> expected = {
        "key\tHKEY_CURRENT_USER\\" + nvtest::Narrow(kRunMru) + "\t0",
        "clipboard\t\t0",
        "Start Menu Run History\tDone",
        "Windows Clipboard\tDone",
        "Task complete Successfully!\t",
        "Preview: Cleaned Registry Keys: 3 Released HD Space:0.00MB",
    };
    EXPECT_EQ(g_lines, expected);
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_EQ(nvtest::ReadText(dir_ / L"prisd.dat"), before);
}

TEST_F(CommandLine, CleanRunsUnattendedAndPrintsTheEndMessage) {
    nvtest::WriteText(dir_ / L"prisd.dat", "[WINDOWS]\r\nrun=1\r\nsearch=1\r\n");
    nvtest::SetString(HKEY_CURRENT_USER, kRunMru, L"a", L"cmd\\1");
    EXPECT_EQ(cli::Run(L"/clean"), 0);
    std::vector<std::string> expected = {
        "Start Menu Run History\tDone",
        "Start Menu Search History\tDone",
        "Task complete Successfully!\t",
        "Task complete Successfully! Cleaned Registry Keys: 33 Released HD Space:0.00MB",
    };
    EXPECT_EQ(g_lines, expected);
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_EQ(profile::Read(L"Options", L"regnum"), L"33");
    EXPECT_FALSE(profile::Read(L"Options", L"lastclean").empty());
}

TEST_F(CommandLine, TotalsThatCannotBeSavedGiveExitFourAndTheRunsOwnCounters) {
    nvtest::WriteText(dir_ / L"prisd.dat", "[WINDOWS]\r\nrun=1\r\nsearch=1\r\n[Options]\r\nregnum=999\r\nfilesize=5242880\r\n");
    ScopedFile held(CreateFileW((dir_ / L"prisd.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(cli::Run(L"/clean"), 4);
    ASSERT_FALSE(g_lines.empty());
    EXPECT_EQ(g_lines.back(), "Task complete Successfully! Cleaned Registry Keys: 33 Released HD Space:0.00MB");
    EXPECT_EQ(g_errors, std::vector<std::string>{"The totals could not be saved: prisd.dat cannot be written."});
}

}  // namespace

namespace {

// /import-winapp2 FILE: the summary on standard output, one line per
// skipped entry on standard error; a file that is no Winapp2 file is
// refused with exit 1 and nothing written.
TEST_F(CommandLine, ImportWinapp2) {
    const std::string here = nvtest::Narrow(dir_ / L"here"), gone = nvtest::Narrow(dir_ / L"gone");
    nvtest::MakeDirs(dir_ / L"here");
    nvtest::WriteText(dir_ / L"w.ini", "; Version: 1\r\n; # of entries: 3\r\n[Here *]\r\nDetectFile=" + here +
                                           "\r\nFileKey1=" + here + "|*.tmp\r\n[Gone *]\r\nDetectFile=" + gone +
                                           "\r\nFileKey1=" + gone + "|*.tmp\r\n[Bad *]\r\nFileKey1=%NoSuch%\\x|*.*\r\n");
    EXPECT_EQ(cli::Run(L"/import-winapp2 \"" + dir_ / L"w.ini" + L"\""), 0);
    EXPECT_EQ(g_lines, std::vector<std::string>{
                           "Imported 1 of 3 entries (1 not on this machine, 1 skipped: reasons on standard error)"});
    EXPECT_EQ(g_errors, std::vector<std::string>{"skipped Bad *: FileKey1: unknown variable %NoSuch%"});
    EXPECT_TRUE(nvtest::Exists(dir_ / L"plus-in\\Winapp2 - Here.ppe"));

    nvtest::WriteText(dir_ / L"bin.ini", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    const std::string before = nvtest::ReadText(dir_ / L"plus-in\\Winapp2 - Here.ppe");
    for (const std::wstring& args : {L"-IMPORT-WINAPP2 " + dir_ / L"bin.ini", L"/import-winapp2 " + dir_ / L"missing.ini"}) {
        g_lines.clear();
        g_errors.clear();
        EXPECT_EQ(cli::Run(args), 1) << nvtest::Narrow(args);
        EXPECT_TRUE(g_lines.empty());
        ASSERT_EQ(g_errors.size(), 1u);
        EXPECT_NE(g_errors[0].find("nothing was imported"), std::string::npos) << g_errors[0];
    }
    EXPECT_EQ(nvtest::ReadText(dir_ / L"plus-in\\Winapp2 - Here.ppe"), before);
    for (const wchar_t* args : {L"/import-winapp2", L"/import-winapp2 a b", L"/import-winapp2 /clean"}) {
        g_errors.clear();
        EXPECT_EQ(cli::Run(args), 1) << nvtest::Narrow(args);
        ASSERT_FALSE(g_errors.empty());
        EXPECT_EQ(g_errors[0].rfind("Unknown switch: ", 0), 0u) << nvtest::Narrow(args);
    }
}

}  // namespace
