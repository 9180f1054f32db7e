#include "shell/cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/apppath.h"
#include "sandbox.h"
#include "settings/profile.h"

using namespace nv;

namespace {

std::vector<std::string> g_lines;
void Collect(const std::string& line) { g_lines.push_back(line); }

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(dir_.path());
        g_lines.clear();
        cli::SetWriter(Collect);
    }
    void TearDown() override {
        cli::SetWriter(nullptr);
        SetAppFolderForTests(L"");
    }
    nvtest::ScratchDir dir_{L"cli"};
};

const std::wstring kRunMru = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

TEST_F(CommandLine, OtherArgumentsAreForTheWindow) {
    EXPECT_FALSE(cli::Run(L"").has_value());
    EXPECT_FALSE(cli::Run(L"min").has_value());
    EXPECT_FALSE(cli::Run(L"MIN").has_value());
    EXPECT_TRUE(g_lines.empty());
}

TEST_F(CommandLine, UsageAndBadSwitches) {
    EXPECT_EQ(cli::Run(L"/?"), 0);
    ASSERT_FALSE(g_lines.empty());
    EXPECT_NE(g_lines[1].find("/clean"), std::string::npos);
    g_lines.clear();
    EXPECT_EQ(cli::Run(L"/cleen"), 1);
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

}  // namespace
