#include "search/find_files.h"

#include <gtest/gtest.h>

#include "sandbox.h"
#include "search_helpers.h"

using namespace nv::search;
using searchtest::Collect;
using Paths = std::vector<std::wstring>;

TEST(PreparePatterns, StarsFirstAndLastBecomeFlagsAndEmptyPiecesAreSkipped) {
    struct Want {
        const wchar_t* prepared;
        bool leading, trailing;
    };
    const std::vector<std::pair<const wchar_t*, std::vector<Want>>> cases = {
        {L"*.tmp", {{L".tmp", true, false}}},
        {L"abc*", {{L"abc", false, true}}},
        {L"*abc*", {{L"abc", true, true}}},
        {L"*.*", {{L".", true, true}}},
        {L"*~", {{L"~", true, false}}},    // the first star is not also the last
        {L"a*b", {{L"a*b", false, false}}},  // an inner star is a character
        {L"**x", {{L"*x", true, false}}},
        {L"***", {{L"", true, true}}},       // stars only: every file
        {L"desktop.ini", {{L"desktop.ini", false, false}}},
        {L"*.tmp;", {{L".tmp", true, false}}},
        {L";;*.tmp;;*.c", {{L".tmp", true, false}, {L".c", true, false}}},
        {L"", {}},
        {L";", {}},
    };
    for (const auto& [text, want] : cases) {
        auto got = PreparePatterns(text);
        ASSERT_EQ(got.size(), want.size()) << nvtest::Narrow(text);
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].prepared, want[i].prepared) << nvtest::Narrow(text);
            EXPECT_EQ(got[i].leading, want[i].leading) << nvtest::Narrow(text);
            EXPECT_EQ(got[i].trailing, want[i].trailing) << nvtest::Narrow(text);
        }
    }
}

namespace {

// a.tmp B.TMP x.tmpl .tmp ab.c abc.log noext desktop.ini(no: only below)
// sub\c.tmp sub\desktop.ini sub\page.swp sub\WIN386.SWP sub\recycled\z.tmp
// sub\$Recycle.Bin\y.tmp sub\deeper\desktop.ini Recycled\x.tmp
class FindTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* f : {L"a.tmp", L"B.TMP", L"x.tmpl", L".tmp", L"ab.c", L"abc.log", L"noext",
                                 L"sub\\c.tmp", L"sub\\desktop.ini", L"sub\\page.swp", L"sub\\WIN386.SWP",
                                 L"sub\\recycled\\z.tmp", L"sub\\$Recycle.Bin\\y.tmp", L"sub\\deeper\\desktop.ini",
                                 L"Recycled\\x.tmp"})
            nvtest::WriteFile(dir_ / f, 10);
    }
    Paths Find(const std::wstring& search, bool sub = true) {
        Collect c;
        FindFiles(dir_.path(), search, sub, c);
        return c.Relative(dir_.path());
    }
    nvtest::ScratchDir dir_{L"find"};
};

}  // namespace

TEST_F(FindTree, PatternsFindWhatTheyShouldAndNothingElse) {
    const Paths tmp = {L"B.TMP", L"a.tmp", L"sub\\c.tmp", L"sub\\recycled\\z.tmp"};
    const std::vector<std::pair<const wchar_t*, Paths>> cases = {
        {L"*.tmp", tmp},  // not x.tmpl, not a file named exactly .tmp, nothing in a Recycle Bin
        {L"*.TMP;", tmp},
        {L";;*.tmp", tmp},
        {L"*.tmp;*.c", {L"B.TMP", L"a.tmp", L"ab.c", L"sub\\c.tmp", L"sub\\recycled\\z.tmp"}},
        {L"*.swp", {L"sub\\page.swp"}},           // never the old swap file
        {L"desktop.ini", {L"sub\\desktop.ini"}},  // an exact name: only its first folder
        {L"abc*", {L"abc.log"}},
        {L"*", {L".tmp", L"B.TMP", L"a.tmp", L"ab.c", L"abc.log", L"noext", L"sub\\c.tmp",
                L"sub\\deeper\\desktop.ini", L"sub\\desktop.ini", L"sub\\page.swp", L"sub\\recycled\\z.tmp", L"x.tmpl"}},
        {L"..\\noext;sub\\c.tmp", {}},  // an exact name never leaves its folder
        {L"", {}},
    };
    for (const auto& [search, want] : cases) EXPECT_EQ(Find(search), want) << nvtest::Narrow(search);
    EXPECT_EQ(Find(L"*.tmp", false), (Paths{L"B.TMP", L"a.tmp"}));
}

TEST_F(FindTree, WalksBreadthFirstAndCountsEachFileOnce) {
    Collect c;
    auto r = FindFiles(dir_.path(), L"*.tmp;*.TMP;desktop.ini;*.ini", true, c);
    ASSERT_TRUE(r.ran);
    EXPECT_FALSE(r.stopped);
    // The exact name is reported as folder + the pattern as typed.
    EXPECT_NE(std::find(c.lines.begin(), c.lines.end(), dir_ / L"sub\\desktop.ini"), c.lines.end());
    EXPECT_EQ(r.patterns[0].count, 4u);
    EXPECT_EQ(r.patterns[1].count, 0u);  // already counted by the first pattern
    EXPECT_EQ(r.patterns[2].count, 1u);
    // The exact test is about the folder, not the file at hand: that file
    // still goes on to the star patterns, so sub\desktop.ini has two lines.
    EXPECT_EQ(r.patterns[3].count, 2u);
    EXPECT_EQ(r.totalBytes, 60u);  // exact lines add no size
    // Root files before sub\, sub\ before its subfolders.
    auto at = [&](const std::wstring& rel) { return std::find(c.paths.begin(), c.paths.end(), dir_ / rel); };
    EXPECT_LT(at(L"a.tmp"), at(L"sub\\c.tmp"));
    EXPECT_LT(at(L"sub\\c.tmp"), at(L"sub\\recycled\\z.tmp"));
}

TEST(FindFiles, ResultLinesSummaryAndTotalsBeyondFourGigabytes) {
    nvtest::ScratchDir dir(L"big");
    searchtest::SparseFile(dir / L"one.tmp", 3ull << 30);
    searchtest::SparseFile(dir / L"two  blanks\\two.tmp", 3ull << 30);
    nvtest::WriteFile(dir / L"small.gid", 1234);
    Collect c;
    auto r = FindFiles(dir.path(), L"*.tmp;*.gid;*.chk", true, c);
    ASSERT_EQ(c.lines.size(), 3u);
    EXPECT_EQ(r.totalBytes, 6442452178ull);
    EXPECT_EQ(c.paths[1], dir / L"small.gid");
    EXPECT_TRUE(c.lines[1].starts_with(dir / L"small.gid   Size:1234   LastModyfied:")) << nvtest::Narrow(c.lines[1]);
    EXPECT_TRUE(c.lines[2].starts_with(dir / L"two  blanks\\two.tmp   Size:3221225472   LastModyfied:"));
    EXPECT_EQ(c.paths[2], dir / L"two  blanks\\two.tmp");
    EXPECT_EQ(SummaryText(r.patterns, c.lines.size(), r.totalBytes),
              L"    .tmp - 2    .gid - 1    .chk - 0\r\n3  Files Found  \r\nTotal size: 6442452.178kb");
}

TEST(FindFiles, HostileNamesAreListedExactly) {
    nvtest::ScratchDir dir(L"names");
    const std::wstring names[] = {L"trail.tmp.", L"blank.tmp ", L"d. \\in.tmp", L"\x65e5\x672c.tmp",
                                  std::wstring(200, L'x') + L"\\" + std::wstring(120, L'y') + L".tmp"};
    for (const auto& n : names) nvtest::WriteFile(L"\\\\?\\" + (dir / n), 7);
    Collect c;
    FindFiles(dir.path(), L"*.tmp;*.tmp.;*.tmp ", true, c);
    Paths want = {L"blank.tmp ", L"d. \\in.tmp", L"trail.tmp.", L"\x65e5\x672c.tmp", names[4]};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(c.Relative(dir.path()), want);
}

TEST(FindFiles, StopEndsTheWalkAndKeepsWhatWasFound) {
    nvtest::ScratchDir dir(L"stop");
    for (int i = 0; i < 50; ++i) nvtest::WriteFile(dir / (L"d" + std::to_wstring(i) + L"\\f.tmp"), 1);
    struct Slow : Collect {
        void Found(std::wstring line, size_t n) override {
            Collect::Found(std::move(line), n);
            Sleep(20);  // the next file comes after the next pump is due
        }
    } slow;
    slow.onPump = [&] { return !slow.lines.empty(); };
    auto r = FindFiles(dir.path(), L"*.tmp", true, slow);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(slow.lines.size(), 1u);
    EXPECT_GE(slow.pumps, 2);
}

TEST(FindFiles, FolderLinksAreNeverEntered) {
    searchtest::LinkCase lc(L"searchfind");
    NEED_LINKS(lc);
    Collect c;
    FindFiles(lc.tree(), L"*.txt;*.ini", true, c);
    // File links look like files under Wine and are listed; deleting them is
    // what refuses them. Nothing behind a folder link is listed.
    for (const auto& p : c.paths) {
        EXPECT_EQ(p.find(L"dlink"), std::wstring::npos) << nvtest::Narrow(p);
        EXPECT_EQ(p.find(L"cache"), std::wstring::npos) << nvtest::Narrow(p);
    }
    EXPECT_NE(std::find(c.paths.begin(), c.paths.end(), lc.tree() + L"\\sub\\real.txt"), c.paths.end());
}
