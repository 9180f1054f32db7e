// A preview runs many primitives in a row over the same state. Each must see
// what the earlier ones would have removed, so the preview's totals and its
// listing equal those of the clean that follows.
#include <gtest/gtest.h>

#include <functional>

#include "erase_helpers.h"
#include "foundation/delete_at_restart.h"
#include "foundation/erase_primitives.h"
#include "recorders.h"
#include "sandbox.h"

using namespace nv;
using namespace nv::allerase;

namespace {

struct Outcome {
    double bytes = 0;
    double keys = 0;
    std::vector<std::wstring> lines;
};

// Runs the same sequence in preview, then for real, on the same fixture.
template <typename Sequence>
std::pair<Outcome, Outcome> PreviewThenClean(const Sequence& sequence) {
    std::pair<Outcome, Outcome> out;
    for (bool preview : {true, false}) {
        EraseContext ctx(preview);
        nvtest::RecordingSink sink;
        ctx.set_sink(&sink);
        Outcome& o = preview ? out.first : out.second;
        sequence(ctx, o);
        o.lines = sink.lines;
    }
    return out;
}

TEST(PreviewSequence, FilesAndFoldersRemovedEarlierAreNotCountedAgain) {
    nvtest::ScratchDir d(L"seq");
    erasetest::BuildTree(d.path(), true);
    nvtest::WriteFile(d / L"sub\\Cache\\inner\\a.txt", 5);
    auto [preview, clean] = PreviewThenClean([&](EraseContext& ctx, Outcome& o) {
        o.bytes += DeleteFileInTree(ctx, d.path(), L"a.txt");
        o.bytes += DeleteFileInTree(ctx, d.path(), L"a.txt");   // a second item naming the same file
        o.bytes += DeleteFolderInTree(ctx, d.path(), L"cache");
        o.bytes += DeleteFileInTree(ctx, d / L"sub\\Cache", L"y.bin");
        o.bytes += DeleteExtInTree(ctx, d.path(), L"tmp");
        o.bytes += DeleteAllFilesInTree(ctx, d / L"sub").value_or(-1);
        o.bytes += EmptyFolder(ctx, d / L"sub");                 // the temp item: all files, then the folder
        o.bytes += DeleteAllFiles(ctx, d / L"sub\\deep").value_or(0);  // gone with the folder's content
        o.bytes += DeleteFileInFolder(ctx, d.path(), L"noext").value_or(-1);
        o.bytes += DeleteFileInFolder(ctx, d.path(), L"noext").value_or(-1);
    });
    EXPECT_EQ(preview.bytes, clean.bytes);
    EXPECT_EQ(preview.lines, clean.lines);
    EXPECT_GT(clean.bytes, 0);
}

TEST(PreviewSequence, EmptyFolderAfterDeletingAllFilesCountsOnlyWhatIsLeft) {
    nvtest::ScratchDir d(L"seq");
    nvtest::WriteFile(d / L"t\\a.tmp", 100);
    nvtest::WriteFile(d / L"t\\sub\\b.tmp", 50);
    nvtest::WriteFile(d / L"t\\ro.tmp", 30);
    erasetest::SetAttrs(d / L"t\\ro.tmp", FILE_ATTRIBUTE_READONLY);  // stops the first, forced by the second
    auto [preview, clean] = PreviewThenClean([&](EraseContext& ctx, Outcome& o) {
        if (auto b = DeleteAllFilesInTree(ctx, d / L"t")) o.bytes += *b;
        o.bytes += EmptyFolder(ctx, d / L"t");
        o.bytes += EmptyFolder(ctx, d / L"t");
    });
    EXPECT_EQ(preview.bytes, clean.bytes);
    EXPECT_EQ(preview.lines, clean.lines);
    EXPECT_TRUE(nvtest::IsDir(d / L"t"));
    EXPECT_FALSE(nvtest::Exists(d / L"t\\ro.tmp"));
}

TEST(PreviewSequence, RegistryKeysAndValuesRemovedEarlier) {
    nvtest::TestKey k(L"seq");
    const std::wstring acmru = k.sub() + L"\\ACMru";
    nvtest::SetString(HKEY_CURRENT_USER, acmru + L"\\5603", L"a", L"x");
    nvtest::SetString(HKEY_CURRENT_USER, acmru + L"\\5604", L"a", L"x");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub() + L"\\Tray", L"IconStreams", L"s");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub() + L"\\Tree\\Sub", L"v", L"x");
    auto [preview, clean] = PreviewThenClean([&](EraseContext& ctx, Outcome& o) {
        o.keys += DeleteRegKey(ctx, HKEY_CURRENT_USER, acmru);  // has subkeys: stays
        o.keys += DeleteRegKey(ctx, HKEY_CURRENT_USER, acmru + L"\\5603");
        o.keys += DeleteRegKey(ctx, HKEY_CURRENT_USER, acmru + L"\\5604");
        o.keys += DeleteRegKey(ctx, HKEY_CURRENT_USER, acmru);  // now without subkeys: goes
        o.keys += DeleteRegValue(ctx, HKEY_CURRENT_USER, k.sub() + L"\\Tray", L"IconStreams");
        o.keys += DeleteRegValue(ctx, HKEY_CURRENT_USER, k.sub() + L"\\Tray", L"IconStreams");
        o.keys += DeleteRegTree(ctx, HKEY_CURRENT_USER, k.sub() + L"\\Tree");
        o.keys += DeleteRegTree(ctx, HKEY_CURRENT_USER, k.sub() + L"\\Tree");
        o.keys += DeleteRegValue(ctx, HKEY_CURRENT_USER, k.sub() + L"\\Tree\\Sub", L"v");
    });
    EXPECT_EQ(preview.keys, clean.keys);
    EXPECT_EQ(preview.lines, clean.lines);
    EXPECT_EQ(clean.lines.size(), 5u);
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, acmru));
}

// A file rewritten earlier in a run (a section removed) is counted at its
// size before the rewrite by a preview: only its listing is checked here.
TEST(PreviewSequence, SectionsAndRebootMarksOfRemovedFiles) {
    nvtest::ScratchDir d(L"seq");
    nvtest::WriteText(d / L"Config\\Config.ini", "[TypedUrls]\r\nu1=x\r\n[Other]\r\na=b\r\n");
    nvtest::WriteText(d / L"Config2\\Config.ini", "[Other]\r\na=b\r\n");
    nvtest::WriteFile(d / L"Data\\index.dat", 10);
    auto [preview, clean] = PreviewThenClean([&](EraseContext& ctx, Outcome& o) {
        DeleteIniSection(ctx, d / L"Config\\Config.ini", L"TypedUrls");
        DeleteIniSection(ctx, d / L"Config\\Config.ini", L"typedurls");
        o.bytes += DeleteFileInFolder(ctx, d / L"Config2", L"Config.ini").value_or(-1);
        DeleteIniSection(ctx, d / L"Config2\\Config.ini", L"Other");
        o.bytes += DeleteAllFiles(ctx, d / L"Data").value_or(-1);
        Normal::DeleteAtReboot(ctx, d / L"Data\\index.dat");
    });
    EXPECT_EQ(preview.bytes, clean.bytes);
    EXPECT_EQ(preview.lines, clean.lines);
}

}  // namespace
