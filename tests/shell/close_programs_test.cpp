// Items of running programs in the real main window: a watched clean offers
// to close them, and what each answer, an unattended run and Analyze do
// with a program that closes when asked and one that refuses.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "foundation/ini_access.h"
#include "foundation/processes.h"
#include "foundation/selection_profile.h"
#include "main_window_fixture.h"
#include "other_process.h"
#include "shell/main_window.h"
#include "ui/resource.h"

using namespace nv;

namespace {

constexpr wchar_t kPrompt[] =
    L"These programs are running and hold data you asked to clean: Firefox, Opera.\n\nClose them and clean?";

struct Case {
    const char* name;
    enum { Watched, CancelWhileWaiting, Unattended, Analyze } run;
    int answer;               // the box's answer (watched runs)
    bool asked;               // the box was shown
    bool politeEnds;          // the program that closes when asked has ended
    const wchar_t* firefox;   // the Firefox Cookies row ("" = no row)
    bool firefoxFileGone;
};

class ClosePrograms : public nvtest::MainWindowTest, public ::testing::WithParamInterface<Case> {};

std::map<std::wstring, std::wstring> Rows(HWND list) {
    std::map<std::wstring, std::wstring> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        wchar_t item[256] = {}, status[256] = {};
        ListView_GetItemText(list, i, 0, item, 256);
        ListView_GetItemText(list, i, 1, status, 256);
        rows[item] = status;
    }
    return rows;
}

TEST_P(ClosePrograms, AnswersAndRuns) {
    const Case& c = GetParam();
    nvtest::ScratchDir data{L"running"};
    const std::wstring firefox = data / L"Mozilla\\Firefox\\Profiles\\a\\cookies.sqlite";
    const std::wstring opera = data / L"Opera\\Opera\\cookies4.dat";
    nvtest::WriteFile(firefox, 10);
    nvtest::WriteFile(opera, 10);
    nvtest::OtherProcess polite(L"hold \"" + firefox + L"\" polite", L"firefox.exe");
    nvtest::OtherProcess stubborn(L"hold \"" + opera + L"\" stubborn", L"opera.exe");
    ASSERT_TRUE(polite.running() && stubborn.running());
    Inifun::WriteIniValue(profile::ProfilePath(), L"FIREFOX", L"Cookies", L"1");
    Inifun::WriteIniValue(profile::ProfilePath(), L"Opera", L"Cookies", L"1");
    frmMainCode* w = frmMainCode::Load();
    ASSERT_NE(w, nullptr);
    w->state().appData = w->state().localAppData = data.path();
    prompts_.answer = c.answer;

    if (c.run == Case::Watched) w->CleanNow();
    const ULONGLONG start = GetTickCount64();
    if (c.run == Case::CancelWhileWaiting) {
        // Pressed while the close-first wait pumps: neither wait nor run.
        PostMessageW(w->hwnd(), WM_COMMAND, ids::Command2, 0);
        w->CleanNow();
        EXPECT_LT(GetTickCount64() - start, 5000u);
    }
    if (c.run == Case::Unattended) w->StartUnattendedRun();
    if (c.run == Case::Analyze) w->Analyze();

    std::vector<std::wstring> asked;
    for (const auto& s : prompts_.shown)
        if (s.flags == (MB_YESNOCANCEL | MB_ICONQUESTION)) asked.push_back(s.text);
    EXPECT_EQ(asked, c.asked ? std::vector<std::wstring>{kPrompt} : std::vector<std::wstring>{});
    if (c.run != Case::CancelWhileWaiting) {
        EXPECT_EQ(polite.running(), !c.politeEnds);
    }
    EXPECT_TRUE(stubborn.running());  // never ended by force
    std::map<std::wstring, std::wstring> rows = Rows(w->control(ids::ListView1));
    EXPECT_EQ(rows[L"Firefox Cookies"], c.firefox);
    const wchar_t* operaRow = c.run == Case::Analyze                              ? L"Will skip: Opera is running"
                              : c.answer == IDCANCEL || c.run == Case::CancelWhileWaiting ? L""
                                                                                : L"Skipped: Opera is running";
    EXPECT_EQ(rows[L"Opera Cookies"], operaRow);
    EXPECT_EQ(nvtest::Exists(firefox), !c.firefoxFileGone);
    EXPECT_TRUE(nvtest::Exists(opera));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ClosePrograms,
    ::testing::Values(
        Case{"CloseThem", Case::Watched, IDYES, true, true, L"Done", true},
        Case{"CleanWithoutThem", Case::Watched, IDNO, true, false, L"Skipped: Firefox is running", false},
        Case{"Cancel", Case::Watched, IDCANCEL, true, false, L"", false},
        Case{"CancelWhileWaiting", Case::CancelWhileWaiting, IDYES, true, false, L"", false},
        Case{"Unattended", Case::Unattended, IDYES, false, false, L"Skipped: Firefox is running", false},
        Case{"Analyze", Case::Analyze, IDYES, false, false, L"Will skip: Firefox is running", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The shell is never asked to close (WM_CLOSE to its desktop window asks to
// shut the computer down), nor this program.
TEST(AskToClose, NeverTheShellNorThisProgram) {
    HWND shell = GetShellWindow();
    if (!shell) shell = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!shell) GTEST_SKIP() << "no shell here";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring me = wcsrchr(self, L'\\') + 1;
    const ULONGLONG start = GetTickCount64();
    const std::vector<std::wstring> still = processes::AskToClose({L"explorer.exe", me}, 5000);
    EXPECT_LT(GetTickCount64() - start, 2000u);  // nothing asked, nothing waited for
    EXPECT_TRUE(IsWindow(shell));
    EXPECT_NE(std::find(still.begin(), still.end(), me), still.end());
}

}  // namespace
