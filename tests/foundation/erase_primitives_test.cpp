#include "foundation/erase_primitives.h"

#include <gtest/gtest.h>

#include <map>

#include "erase_helpers.h"
#include "foundation/handles.h"
#include "recorders.h"
#include "sandbox.h"

using namespace nv::allerase;
using erasetest::BuildTree;
using erasetest::Held;
using erasetest::SetAttrs;
using nv::EraseContext;
using nv::RemovalKind;
using nvtest::Exists;
using nvtest::IsDir;
using nvtest::RecordingSink;
using nvtest::ScratchDir;
using nvtest::WriteFile;

namespace {

struct Clean {
    EraseContext ctx;
    RecordingSink sink;
    Clean() { ctx.set_sink(&sink); }
};

}  // namespace

TEST(DeleteFileInTree, MatchesExactNameAtAnyDepthAndCountsSizes) {
    ScratchDir d(L"fit");
    BuildTree(d.path(), false);
    Clean c;
    EXPECT_EQ(DeleteFileInTree(c.ctx, d.path(), L"a.txt"), 100 + 1000 + 10);
    EXPECT_FALSE(Exists(d / L"a.txt"));
    EXPECT_FALSE(Exists(d / L"sub\\a.txt"));
    EXPECT_FALSE(Exists(d / L"sub\\deep\\more\\a.txt"));
    EXPECT_TRUE(Exists(d / L"sub\\deep\\A.TXT"));  // case counts
    EXPECT_TRUE(Exists(d / L"b.tmp"));
    EXPECT_EQ(c.sink.Count(RemovalKind::File), 3u);
    EXPECT_EQ(c.sink.lines.front(), L"file\t" + d.path() + L"\\a.txt\t100");

    EXPECT_EQ(DeleteFileInTree(c.ctx, d / L"missing", L"a.txt"), 0);
}

TEST(DeleteFileInTree, HiddenReadOnlyGoesPlainReadOnlyAndHeldFilesStayButCount) {
    ScratchDir d(L"fit-ro");
    WriteFile(d / L"x\\n.dat", 10);
    WriteFile(d / L"y\\n.dat", 20);
    WriteFile(d / L"z\\n.dat", 40);
    WriteFile(d / L"w\\n.dat", 80);
    SetAttrs(d / L"x\\n.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    SetAttrs(d / L"y\\n.dat", FILE_ATTRIBUTE_READONLY);
    WriteFile(d / L"x\\other.dat", 5);
    SetAttrs(d / L"x\\other.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    Held held(d / L"z\\n.dat");
    ASSERT_TRUE(held.ok());
    EraseContext ctx;
    EXPECT_EQ(DeleteFileInTree(ctx, d.path(), L"n.dat"), 150);
    // Files the call keeps keep their attributes.
    EXPECT_EQ(GetFileAttributesW((d / L"x\\other.dat").c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Exists(d / L"x\\n.dat"));
    EXPECT_TRUE(Exists(d / L"y\\n.dat"));
    EXPECT_TRUE(Exists(d / L"z\\n.dat"));
    EXPECT_FALSE(Exists(d / L"w\\n.dat"));
}

TEST(DeleteFileInTree, EveryWalkPumpsDeleteAllFilesInTreeToo) {
    // A cache of many thousand files must not freeze the window.
    ScratchDir d(L"pump");
    BuildTree(d.path(), false);
    EraseContext ctx;
    int pumps = 0;
    ctx.set_pump([&] { ++pumps; });
    DeleteAllFilesInTree(ctx, d / L"cache");
    EXPECT_GT(pumps, 0);
    pumps = 0;
    Sleep(20);  // the next pump is due
    DeleteFileInTree(ctx, d.path(), L"a.txt");
    EXPECT_GT(pumps, 0);
}

TEST(DeleteFileInTree, CancelFlagStopsTheWalk) {
    ScratchDir d(L"cancel");
    BuildTree(d.path(), false);
    bool cancel = true;
    EraseContext ctx;
    ctx.set_cancel_flag(&cancel);
    EXPECT_EQ(DeleteFileInTree(ctx, d.path(), L"a.txt"), 0);
    EXPECT_TRUE(Exists(d / L"a.txt"));
    EXPECT_EQ(EmptyFolder(ctx, d.path()), 0);
    EXPECT_TRUE(Exists(d / L"sub\\a.txt"));
}

TEST(DeleteAllFilesInTree, DeletesEveryFileKeepsFolders) {
    ScratchDir d(L"afit");
    BuildTree(d.path(), false);
    Clean c;
    auto r = DeleteAllFilesInTree(c.ctx, d.path());
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, erasetest::TreeBytes());
    EXPECT_EQ(erasetest::Snapshot(d.path()).size(), 7u);  // <exists> + 6 folders, no file
    EXPECT_TRUE(IsDir(d / L"sub\\deep\\more\\CACHE"));
}

TEST(DeleteAllFilesInTree, FirstFailureEndsEverything) {
    EraseContext ctx;
    {
        ScratchDir d(L"afit-ro");
        BuildTree(d.path(), true);  // ro.txt: read-only, not hidden
        EXPECT_EQ(DeleteAllFilesInTree(ctx, d.path()), std::nullopt);
        EXPECT_TRUE(Exists(d / L"ro.txt"));
        // Files are taken before subfolders, so the failure stops the walk
        // before it goes down.
        EXPECT_TRUE(Exists(d / L"sub\\a.txt"));
    }
    {
        ScratchDir d(L"afit-held");
        WriteFile(d / L"top.bin", 5);
        WriteFile(d / L"in\\use.bin", 5);
        WriteFile(d / L"in\\deeper\\more.bin", 5);
        Held held(d / L"in\\use.bin");
        EXPECT_EQ(DeleteAllFilesInTree(ctx, d.path()), std::nullopt);
        EXPECT_FALSE(Exists(d / L"top.bin"));  // deleted before the failure stays deleted
        EXPECT_TRUE(Exists(d / L"in\\deeper\\more.bin"));
    }
    ScratchDir d(L"afit-missing");
    EXPECT_EQ(DeleteAllFilesInTree(ctx, d / L"nothing"), std::nullopt);
    EXPECT_EQ(DeleteAllFilesInTree(ctx, d.path()), 0.0);  // empty folder: nothing to fail
}

// Without the Wine-only link check a file that only has to go is opened
// with delete-on-close (the Windows path); with it, or with an attribute to
// change first, it is marked on the open handle. Both say alike why a file stays.
TEST(DeleteExtInTree, BothDeletePathsRemoveAndTellWhyAFileStays) {
    struct FateSink : RecordingSink {
        void OnFate(const std::wstring& target, double, nv::Fate fate) override { fates[target] = fate; }
        std::map<std::wstring, nv::Fate> fates;
    };
    for (bool linkCheck : {true, false}) {
        SCOPED_TRACE(linkCheck ? "link check" : "no link check");
        detail::SetFileLinkCheck(linkCheck);
        ScratchDir d(L"paths");
        const std::wstring plain = d / L"plain.dat", ro = d / L"ro.dat", hidro = d / L"hidro.dat",
                           held = d / L"held.dat", shared = d / L"shared.dat";
        for (const auto& f : {plain, ro, hidro, held, shared}) WriteFile(f, 100);
        SetAttrs(ro, FILE_ATTRIBUTE_READONLY);
        SetAttrs(hidro, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        Held lock(held);
        ASSERT_TRUE(lock.ok());
        // Open elsewhere, but with delete sharing: it goes when that handle closes.
        nv::ScopedFile reader(CreateFileW(shared.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        FateSink sink;
        EraseContext ctx;
        ctx.set_sink(&sink);
        EXPECT_EQ(DeleteExtInTree(ctx, d.path(), L"dat"), 500);  // every file tried is counted
        reader.reset();
        EXPECT_FALSE(Exists(plain));
        EXPECT_FALSE(Exists(hidro));  // unhidden on its handle, then deleted
        EXPECT_FALSE(Exists(shared));
        EXPECT_TRUE(Exists(ro));
        EXPECT_TRUE(Exists(held));
        EXPECT_EQ(sink.fates.size(), 2u);
        EXPECT_EQ(sink.fates[ro], nv::Fate::ReadOnly);
        EXPECT_EQ(sink.fates[held], nv::Fate::InUse);
        EXPECT_EQ(sink.Count(RemovalKind::File), 5u);
    }
    detail::SetFileLinkCheck(true);
}

TEST(DeleteExtInTree, LowerCasesTheFilesExtensionOnly) {
    ScratchDir d(L"eit");
    BuildTree(d.path(), false);
    WriteFile(d / L"sub\\two.dots.tmp", 7);
    EraseContext ctx;
    EXPECT_EQ(DeleteExtInTree(ctx, d.path(), L"TMP"), 0);
    EXPECT_TRUE(Exists(d / L"b.tmp"));
    EXPECT_EQ(DeleteExtInTree(ctx, d.path(), L"tmp"), 300 + 400 + 2000 + 20 + 7);
    EXPECT_FALSE(Exists(d / L"c.TMP"));
    EXPECT_FALSE(Exists(d / L"sub\\deep\\more\\CACHE\\z.tmp"));
    EXPECT_TRUE(Exists(d / L"a.txt"));
    EXPECT_EQ(DeleteExtInTree(ctx, d.path(), L""), 50);  // no extension at all
    EXPECT_FALSE(Exists(d / L"noext"));
}

TEST(DeleteFolderInTree, RemovesMatchingFoldersInAnyCaseAtAnyDepth) {
    ScratchDir d(L"fdit");
    BuildTree(d.path(), false);
    Clean c;
    EXPECT_EQ(DeleteFolderInTree(c.ctx, d.path(), L"cache"), 500 + 3000 + 4000 + 20);
    EXPECT_FALSE(Exists(d / L"cache"));
    EXPECT_FALSE(Exists(d / L"sub\\Cache"));
    EXPECT_FALSE(Exists(d / L"sub\\deep\\more\\CACHE"));
    EXPECT_TRUE(Exists(d / L"sub\\a.txt"));
    EXPECT_EQ(c.sink.Count(RemovalKind::Folder), 3u);
    EXPECT_EQ(c.sink.Count(RemovalKind::File), 0u);
    EXPECT_EQ(DeleteFolderInTree(c.ctx, d / L"missing", L"cache"), 0);
}

TEST(DeleteFolderInTree, ReadOnlyContentSurvivesYetCountsOnce) {
    ScratchDir d(L"fdit-ro");
    WriteFile(d / L"cache\\ro.bin", 100);
    WriteFile(d / L"cache\\plain.bin", 200);
    WriteFile(d / L"cache\\cache\\inner.bin", 400);
    WriteFile(d / L"cache\\cache\\inner-ro.bin", 800);
    SetAttrs(d / L"cache\\ro.bin", FILE_ATTRIBUTE_READONLY);
    // Only the matching folder is unhidden, not what it holds.
    SetAttrs(d / L"cache\\cache\\inner-ro.bin", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EraseContext ctx;
    EXPECT_EQ(DeleteFolderInTree(ctx, d.path(), L"cache"), 1500);
    EXPECT_TRUE(Exists(d / L"cache\\ro.bin"));
    EXPECT_TRUE(Exists(d / L"cache\\cache\\inner-ro.bin"));
    EXPECT_FALSE(Exists(d / L"cache\\plain.bin"));
    EXPECT_FALSE(Exists(d / L"cache\\cache\\inner.bin"));
}

TEST(EmptyFolder, RemovesEverythingWithForceAndCreatesTheFolderAgain) {
    ScratchDir d(L"ef");
    BuildTree(d.path(), true);
    SetAttrs(d.path(), FILE_ATTRIBUTE_HIDDEN);
    Clean c;
    EXPECT_EQ(EmptyFolder(c.ctx, d.path()), erasetest::TreeBytes() + 70);
    EXPECT_TRUE(IsDir(d.path()));
    EXPECT_EQ(erasetest::Snapshot(d.path()).size(), 1u);
    ASSERT_EQ(c.sink.lines.size(), 1u);
    EXPECT_EQ(c.sink.lines[0], L"folder\t" + d.path() + L"\t" + std::to_wstring(static_cast<long long>(erasetest::TreeBytes() + 70)));
}

TEST(EmptyFolder, MissingFolderCountsNothingAndIsCreatedWhenItsParentExists) {
    ScratchDir d(L"ef-missing");
    EraseContext ctx;
    EXPECT_EQ(EmptyFolder(ctx, d / L"new"), 0);
    EXPECT_TRUE(IsDir(d / L"new"));
    EXPECT_EQ(EmptyFolder(ctx, d / L"no\\parent"), 0);
    EXPECT_FALSE(Exists(d / L"no"));
}

TEST(EmptyFolder, HeldFileStaysAndTheFullSizeCounts) {
    ScratchDir d(L"ef-held");
    BuildTree(d.path(), false);
    Held held(d / L"sub\\Cache\\x.bin");
    EraseContext ctx;
    EXPECT_EQ(EmptyFolder(ctx, d.path()), erasetest::TreeBytes());
    EXPECT_TRUE(Exists(d / L"sub\\Cache\\x.bin"));
    EXPECT_FALSE(Exists(d / L"sub\\Cache\\y.bin"));
    EXPECT_FALSE(Exists(d / L"a.txt"));
}

TEST(OneFolderPrimitives, DoNotRecurseAndStopAtTheFirstFailure) {
    EraseContext ctx;
    ScratchDir d(L"one");
    BuildTree(d.path(), false);
    EXPECT_EQ(DeleteFileInFolder(ctx, d.path(), L"a.txt"), 100.0);
    EXPECT_TRUE(Exists(d / L"sub\\a.txt"));
    EXPECT_EQ(DeleteFileInFolder(ctx, d.path(), L"A.txt"), 0.0);  // nothing matches: no failure
    EXPECT_EQ(DeleteExtInFolder(ctx, d.path(), L"tmp"), 700.0);
    EXPECT_TRUE(Exists(d / L"sub\\d.tmp"));
    EXPECT_EQ(DeleteAllFiles(ctx, d / L"sub"), 3000.0);  // a.txt and d.tmp; its subfolders stay
    EXPECT_TRUE(Exists(d / L"sub\\Cache\\x.bin"));

    for (auto* name : {L"gone", L"Error"}) {
        EXPECT_EQ(DeleteAllFiles(ctx, d / name), std::nullopt);
        EXPECT_EQ(DeleteFileInFolder(ctx, d / name, L"a.txt"), std::nullopt);
        EXPECT_EQ(DeleteExtInFolder(ctx, d / name, L"tmp"), std::nullopt);
    }

    WriteFile(d / L"held.dat", 10);
    WriteFile(d / L"ro.dat", 10);
    SetAttrs(d / L"ro.dat", FILE_ATTRIBUTE_READONLY);
    {
        Held held(d / L"held.dat");
        EXPECT_EQ(DeleteFileInFolder(ctx, d.path(), L"held.dat"), std::nullopt);
        EXPECT_EQ(DeleteExtInFolder(ctx, d.path(), L"dat"), std::nullopt);
    }
    EXPECT_EQ(DeleteFileInFolder(ctx, d.path(), L"ro.dat"), std::nullopt);
    EXPECT_EQ(DeleteAllFiles(ctx, d.path()), std::nullopt);
    EXPECT_TRUE(Exists(d / L"ro.dat"));
}

TEST(FolderSize, SumsTheWholeTreeOnce) {
    ScratchDir d(L"size");
    BuildTree(d.path(), true);
    EXPECT_EQ(FolderSize(d.path()), erasetest::TreeBytes() + 70);
    EXPECT_EQ(FolderSize(d.path() + L"\\"), erasetest::TreeBytes() + 70);
    EXPECT_EQ(FolderSize(d / L"sub\\Cache"), 7000);
    EXPECT_EQ(FolderSize(d / L"missing"), 0);
    EXPECT_EQ(FolderSize(L"sub"), 0);
    EXPECT_EQ(FolderSize(d / L"a.txt"), 0);
}

// The invariant behind the preview: on the same state, a preview returns
// what a clean then returns, reports the same removals, and changes nothing.
TEST(Preview, EveryFilePrimitiveMatchesTheCleanAndChangesNothing) {
    struct Case {
        const wchar_t* label;
        bool readOnly;
        std::function<std::optional<double>(EraseContext&, const std::wstring&)> run;
    };
    const std::vector<Case> cases = {
        {L"DeleteFileInTree", true, [](auto& c, auto& f) { return DeleteFileInTree(c, f, L"a.txt"); }},
        {L"DeleteAllFilesInTree", false, [](auto& c, auto& f) { return DeleteAllFilesInTree(c, f); }},
        {L"DeleteAllFilesInTree read-only", true, [](auto& c, auto& f) { return DeleteAllFilesInTree(c, f); }},
        {L"DeleteExtInTree", true, [](auto& c, auto& f) { return DeleteExtInTree(c, f, L"tmp"); }},
        {L"DeleteFolderInTree", true, [](auto& c, auto& f) { return DeleteFolderInTree(c, f, L"cache"); }},
        {L"EmptyFolder", true, [](auto& c, auto& f) { return EmptyFolder(c, f); }},
        {L"EmptyFolder missing", true, [](auto& c, auto& f) { return EmptyFolder(c, f + L"\\new"); }},
        {L"DeleteAllFiles", false, [](auto& c, auto& f) { return DeleteAllFiles(c, f); }},
        {L"DeleteAllFiles read-only", true, [](auto& c, auto& f) { return DeleteAllFiles(c, f); }},
        {L"DeleteAllFiles missing", false, [](auto& c, auto& f) { return DeleteAllFiles(c, f + L"\\none"); }},
        {L"DeleteFileInFolder hidden", true, [](auto& c, auto& f) { return DeleteFileInFolder(c, f, L"hid.txt"); }},
        {L"DeleteFileInFolder read-only", true, [](auto& c, auto& f) { return DeleteFileInFolder(c, f, L"ro.txt"); }},
        {L"DeleteExtInFolder", false, [](auto& c, auto& f) { return DeleteExtInFolder(c, f, L"txt"); }},
        {L"DeleteExtInFolder read-only", true, [](auto& c, auto& f) { return DeleteExtInFolder(c, f, L"txt"); }},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(nvtest::Narrow(tc.label));
        ScratchDir d(L"preview");
        BuildTree(d.path(), tc.readOnly);
        auto before = erasetest::Snapshot(d.path());
        auto newBefore = erasetest::Snapshot(d / L"new");

        EraseContext preview(true);
        RecordingSink heard;
        preview.set_sink(&heard);
        auto predicted = tc.run(preview, d.path());
        EXPECT_EQ(erasetest::Snapshot(d.path()), before);
        EXPECT_EQ(erasetest::Snapshot(d / L"new"), newBefore);

        EraseContext clean;
        RecordingSink done;
        clean.set_sink(&done);
        auto actual = tc.run(clean, d.path());
        EXPECT_EQ(predicted, actual);
        EXPECT_EQ(heard.lines, done.lines);
        if (actual) {
            EXPECT_NE(erasetest::Snapshot(d.path()), before);
        }
    }
}
