// The update check: the version file, the weekly rule, and (when
// tests/e2e/update_e2e.sh runs this with NV_UPDATE_SERVER set to its
// loopback server) real fetches through WinHTTP while this thread pumps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <optional>
#include <string>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "foundation/selection_profile.h"
#include "shell/notifications.h"
#include "shell/update_check.h"

namespace uc = nv::updatecheck;
namespace ns = nv::mNotificationSystem;
using nv::Version;

namespace {

TEST(UpdateCheck, ReadsTheVersionFile) {
    const struct {
        const char* body;
        std::optional<Version> version;  // none: no offer
        const wchar_t* page;
    } cases[] = {
        {"version=6.1.0\nurl=http://www.norvale.example/download\n", Version{6, 1, 0}, L"http://www.norvale.example/download"},
        {"url=https://x.example/d\r\nversion= 10.20.30 \r\n", Version{10, 20, 30}, L"https://x.example/d"},
        {"# comment\nname=other\nversion=7.0.0\nurl=HTTP://x.example/\n", Version{7, 0, 0}, L"HTTP://x.example/"},
        {"version=6.1\nurl=http://x.example/", std::nullopt, nullptr},
        {"version=6.1.0.1\nurl=http://x.example/", std::nullopt, nullptr},
        {"version=6.1.x\nurl=http://x.example/", std::nullopt, nullptr},
        {"version=99999.0.0\nurl=http://x.example/", std::nullopt, nullptr},
        {"version=6.1.0\n", std::nullopt, nullptr},
        {"url=http://x.example/\n", std::nullopt, nullptr},
        // Nothing that the shell would run or open as a file.
        {"version=6.1.0\nurl=file:///C:/Windows/notepad.exe\n", std::nullopt, nullptr},
        {"version=6.1.0\nurl=C:\\Windows\\notepad.exe\n", std::nullopt, nullptr},
        {"version=6.1.0\nurl=http://\n", std::nullopt, nullptr},
        {"version=6.1.0\nurl=http://x.example/a b\n", std::nullopt, nullptr},
        {"", std::nullopt, nullptr},
        {"\x89PNG\r\n\x1a\n\xff\xfe", std::nullopt, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto offer = uc::ParseVersionFile(c.body);
        ASSERT_EQ(offer.has_value(), c.version.has_value());
        if (!offer) continue;
        EXPECT_EQ(offer->version, *c.version);
        EXPECT_EQ(offer->page, c.page);
    }
}

TEST(UpdateCheck, ComparesVersionsPartByPart) {
    EXPECT_LT((Version{6, 0, 9}), (Version{6, 0, 10}));
    EXPECT_LT((Version{6, 9, 9}), (Version{7, 0, 0}));
    EXPECT_EQ(nv::ParseVersion(L" 6.0.10 "), (Version{6, 0, 10}));
    EXPECT_EQ(nv::VersionText({6, 0, 10}), L"6.0.10");
    EXPECT_EQ(uc::PopupText({6, 1, 0}), L"Norvale System Cleaner 6.1.0 is available");
}

TEST(UpdateCheck, AtMostOnceAWeek) {
    const long long now = 1'800'000'000, week = uc::kInterval;
    const struct {
        std::wstring stored;
        bool due;
    } cases[] = {
        {L"", true},
        {L"garbage", true},
        {std::to_wstring(now - week), true},
        {std::to_wstring(now - week + 1), false},
        {std::to_wstring(now), false},
        {L" " + std::to_wstring(now - 60) + L" ", false},
        {std::to_wstring(now + 3600), true},  // clock set back
        {L"-5", true},
        {L"99999999999999999999999", true},
    };
    for (const auto& c : cases) EXPECT_EQ(uc::IsDue(c.stored, now), c.due) << std::string(c.stored.begin(), c.stored.end());
}

TEST(UpdateCheck, PopupClickOpensTheOfferedPageOnly) {
    nvtest::RecordingLauncher launcher;
    EXPECT_FALSE(uc::HandleClick(L"ALERT"));
    EXPECT_TRUE(launcher.opened.empty());
}

// Against the loopback server of update_e2e.sh.
class UpdateCheckServer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* server = std::getenv("NV_UPDATE_SERVER");
        if (!server || !*server) GTEST_SKIP() << "run by tests/e2e/update_e2e.sh";
        base_ = std::wstring(server, server + std::strlen(server));
        nv::SetAppFolderForTests(app_.path());
        ns::CreateNotificationQueue();
    }
    void TearDown() override {
        ns::CreateNotificationQueue();
        nv::SetAppFolderForTests(L"");
    }
    void Profile(const std::wstring& ticked, const std::wstring& path, const std::wstring& last = L"") {
        nv::profile::Write(L"Options", L"autoclean", ticked);
        nv::profile::Write(L"Options", uc::kAddressKey, base_ + path);
        nv::profile::Write(L"Options", uc::kLastCheckKey, last);
    }

    struct Outcome {
        bool called = false, offered = false;
        DWORD ms = 0;
        int ticks = 0;  // 50 ms timer ticks seen while waiting
    };
    // Runs one check and pumps this thread's messages (as the program's
    // loop does) until it ends or maxMs pass.
    static Outcome Check(DWORD timeoutMs, DWORD maxMs) {
        Outcome out;
        DWORD start = GetTickCount();
        uc::CheckIfDue({6, 0, 0}, timeoutMs, [&](bool offered) {
            out.called = true;
            out.offered = offered;
        });
        UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
        MSG msg;
        while (!out.called && GetTickCount() - start < maxMs) {
            if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
            if (msg.message == WM_TIMER && msg.wParam == timer) ++out.ticks;
            DispatchMessageW(&msg);
        }
        KillTimer(nullptr, timer);
        out.ms = GetTickCount() - start;
        return out;
    }

    nvtest::ScratchDir app_{L"update"};
    std::wstring base_;
};

TEST_F(UpdateCheckServer, OffersOnlyANewerVersion) {
    const struct {
        const wchar_t* path;
        bool offered;
    } cases[] = {
        {L"/v/6.0.1", true}, {L"/v/6.0.0", false}, {L"/v/5.9.9", false},
        {L"/garbage", false}, {L"/big", false},    {L"/missing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + wcslen(c.path)));
        ns::CreateNotificationQueue();
        Profile(L"1", c.path);
        Outcome out = Check(uc::kTimeoutMs, 20000);
        ASSERT_TRUE(out.called);
        EXPECT_EQ(out.offered, c.offered);
        EXPECT_EQ(ns::QueuedCount(), c.offered ? 1u : 0u);
        // Tried now, so the next try is a week away whatever the answer was.
        EXPECT_FALSE(nv::profile::Read(L"Options", uc::kLastCheckKey).empty());
        if (c.offered) {
            EXPECT_EQ(ns::QueuedRequest(0).Description, L"Norvale System Cleaner 6.0.1 is available");
            EXPECT_TRUE(ns::QueuedRequest(0).EnableClickEvent);
            nvtest::RecordingLauncher launcher;
            EXPECT_TRUE(uc::HandleClick(ns::QueuedRequest(0).Key));
            ASSERT_EQ(launcher.opened.size(), 1u);
            EXPECT_EQ(launcher.opened[0], base_ + L"/download");
        }
    }
}

TEST_F(UpdateCheckServer, NoAnswerEndsSilentlyAndTheWindowKeepsRunning) {
    Profile(L"1", L"/hang");
    Outcome out = Check(1500, 20000);
    ASSERT_TRUE(out.called);
    EXPECT_FALSE(out.offered);
    EXPECT_EQ(ns::QueuedCount(), 0u);
    EXPECT_GE(out.ms, 1400u);
    // The loop went on while WinHTTP waited: most 50 ms ticks arrived.
    EXPECT_GE(out.ticks, static_cast<int>(out.ms / 50 / 3)) << out.ms << " ms";
}

TEST_F(UpdateCheckServer, FetchesNothingUntickedOrWithinTheWeek) {
    // The script checks that the server never saw these paths.
    Profile(L"0", L"/v/9.0.0-unticked");
    EXPECT_FALSE(Check(uc::kTimeoutMs, 1000).called);
    long long recent = static_cast<long long>(time(nullptr)) - 3600;
    Profile(L"1", L"/v/9.0.0-recent", std::to_wstring(recent));
    EXPECT_FALSE(Check(uc::kTimeoutMs, 1000).called);
    EXPECT_EQ(nv::profile::Read(L"Options", uc::kLastCheckKey), std::to_wstring(recent));
}

}  // namespace
