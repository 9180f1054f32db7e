#include "foundation/list_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "sandbox.h"

using namespace nv;
using nvtest::ReadText;
using nvtest::ScratchDir;
using nvtest::WriteText;
using Lines = std::vector<std::wstring>;

namespace {
int FilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}
}  // namespace

TEST(ListFile, ReadSplitsEveryLineEndAndDecodesBothEncodings) {
    ScratchDir dir;
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {L"a", L"b"}},
        {"a\r\nb", {L"a", L"b"}},
        {"a\nb\rc\r\n", {L"a", L"b", L"c"}},
        {"\r\n\r\n", {L"", L""}},
        {"  x  \r\n", {L"  x  "}},                     // blanks are the caller's business
        {"caf\xE9\r\n", {L"caf\u00e9"}},               // ANSI (1252 here)
        {"\xEF\xBB\xBF\xE4\xB8\xAD\r\n", {L"\u4e2d"}},  // UTF-8 with its mark
    };
    for (const auto& c : cases) {
        WriteText(dir / L"l.dat", c.bytes);
        auto got = listfile::Read(dir / L"l.dat");
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, c.lines) << c.bytes;
    }
    EXPECT_FALSE(listfile::Read(dir / L"missing.dat").has_value());
}

TEST(ListFile, WriteKeepsAnsiWhenItCanAndNeverMangles) {
    ASSERT_EQ(GetACP(), 1252u) << "the expectations below assume the Western code page";
    ScratchDir dir;
    const std::wstring f = dir / L"keep.dat";
    ASSERT_TRUE(listfile::Write(f, {L"a", L"caf\u00e9", L""}));
    EXPECT_EQ(ReadText(f), "a\r\ncaf\xE9\r\n\r\n");

    const Lines wide = {L"C:\\Users\\\u4e2d\u6587\\c.txt", L"caf\u00e9", L"\U0001F600"};
    ASSERT_TRUE(listfile::Write(f, wide));
    EXPECT_EQ(ReadText(f).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(listfile::Read(f), wide);

    ASSERT_TRUE(listfile::Write(f, {}));
    EXPECT_EQ(ReadText(f), "");
    EXPECT_EQ(FilesIn(dir.path()), 1) << "no temporary file is left behind";
    EXPECT_FALSE(listfile::Write(dir / L"no\\such\\folder.dat", {L"x"}));
}

TEST(ListFile, AppendKeepsTheFileReadableWhateverTheLine) {
    ScratchDir dir;
    const std::wstring f = dir / L"app.dat";
    ASSERT_TRUE(listfile::Append(f, L"first"));  // created
    ASSERT_TRUE(listfile::Append(f, L"first"));  // duplicates are kept
    EXPECT_EQ(ReadText(f), "first\r\nfirst\r\n");

    ASSERT_TRUE(listfile::Append(f, L"\u4e2d"));  // an ANSI file that cannot hold it turns UTF-8, whole
    EXPECT_EQ(listfile::Read(f), (Lines{L"first", L"first", L"\u4e2d"}));
    ASSERT_TRUE(listfile::Append(f, L"caf\u00e9"));  // and stays UTF-8
    EXPECT_EQ(listfile::Read(f), (Lines{L"first", L"first", L"\u4e2d", L"caf\u00e9"}));

    WriteText(f, "no end");  // a last line without its end does not swallow the new entry
    ASSERT_TRUE(listfile::Append(f, L"next"));
    EXPECT_EQ(ReadText(f), "no end\r\nnext\r\n");
    ASSERT_TRUE(listfile::Append(f, L""));
    EXPECT_EQ(listfile::Read(f), (Lines{L"no end", L"next", L""}));
}
