// Secure deletion: files are overwritten through the handle that deletes
// them, only once their deletion is assured; never a file that stays, never
// through a link, never the content of a file with other names.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "erase_helpers.h"
#include "foundation/erase_primitives.h"
#include "foundation/secure_erase.h"
#include "planted_links.h"
#include "recorders.h"
#include "sandbox.h"

using namespace nv;
using namespace nv::allerase;

namespace {

class FateSink : public nvtest::RecordingSink {
public:
    void OnFate(const std::wstring& target, double, Fate fate) override { fates.emplace_back(target, fate); }
    std::vector<std::pair<std::wstring, Fate>> fates;
};

// Counts the overwrites, and reads a file through a handle of its own,
// opened before the run with delete sharing, each time an overwrite has
// been flushed: what anyone reading the disk would find.
class Observer {
public:
    explicit Observer(const std::wstring& path = L"") {
        if (!path.empty())
            h_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        erasefs::detail::SetOverwrittenHook([this] { Look(); });
    }
    ~Observer() { erasefs::detail::SetOverwrittenHook(nullptr); }
    void Close() { h_.reset(); }
    int overwrites = 0;
    uint64_t seen = 0, nonZero = 0;

private:
    void Look() {
        ++overwrites;
        if (!h_) return;
        char buf[65536];
        OVERLAPPED at{};
        DWORD n = 0;
        uint64_t offset = 0;
        while (ReadFile(h_.get(), buf, sizeof buf, &n, &at) && n > 0) {
            for (DWORD i = 0; i < n; ++i) nonZero += buf[i] != 0;
            seen += n;
            offset += n;
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        }
    }
    ScopedFile h_;
};

// Whether a file (not `except`) is left below root, under any name.
bool AnyFileBelow(const std::wstring& root, const std::wstring& except = L"") {
    for (const auto& e : erasetest::Snapshot(root)) {
        if (e == L"<exists>" || (!except.empty() && e.starts_with(except + L"|"))) continue;
        std::wstring attrs = e.substr(e.find_last_of(L'|') + 1);
        if (!(std::stoul(attrs) & FILE_ATTRIBUTE_DIRECTORY)) return true;
    }
    return false;
}

EraseContext Secure(EraseSink* sink = nullptr, bool preview = false) {
    EraseContext ctx(preview);
    ctx.set_secure(true);
    ctx.set_sink(sink);
    return ctx;
}

TEST(SecureDeletion, EveryDeletingPrimitiveOverwritesBeforeTheNameGoes) {
    using Run = std::function<void(EraseContext&, const std::wstring&)>;
    const struct {
        const wchar_t* name;
        const wchar_t* file;  // below the case's folder
        Run run;
    } cases[] = {
        {L"fileintree", L"s\\x.dat", [](auto& c, auto& f) { DeleteFileInTree(c, f, L"x.dat"); }},
        {L"anycase", L"s\\x.dat", [](auto& c, auto& f) { DeleteFileInTreeAnyCase(c, f, L"X.DAT"); }},
        {L"allfilesintree", L"s\\x.dat", [](auto& c, auto& f) { DeleteAllFilesInTree(c, f); }},
        {L"extintree", L"s\\x.dat", [](auto& c, auto& f) { DeleteExtInTree(c, f, L"dat"); }},
        {L"folderintree", L"s\\cache\\x.dat", [](auto& c, auto& f) { DeleteFolderInTree(c, f, L"cache"); }},
        {L"emptyfolder", L"s\\x.dat", [](auto& c, auto& f) { EmptyFolder(c, f); }},
        {L"allfiles", L"x.dat", [](auto& c, auto& f) { DeleteAllFiles(c, f); }},
        {L"fileinfolder", L"x.dat", [](auto& c, auto& f) { DeleteFileInFolder(c, f, L"x.dat"); }},
        {L"extinfolder", L"x.dat", [](auto& c, auto& f) { DeleteExtInFolder(c, f, L"dat"); }},
        {L"onefile", L"x.dat", [](auto& c, auto& f) { DeleteOneFile(c, f + L"\\x.dat"); }},
        {L"wholefolder", L"w\\x.dat", [](auto& c, auto& f) { DeleteWholeFolder(c, f + L"\\w"); }},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(nvtest::Narrow(tc.name));
        nvtest::ScratchDir dir(tc.name);
        const std::wstring file = dir / tc.file;
        nvtest::WriteFile(file, 70000, 'A');
        Observer reader(file);
        FateSink sink;
        EraseContext ctx = Secure(&sink);
        tc.run(ctx, dir.path());
        EXPECT_EQ(reader.overwrites, 1);
        EXPECT_GE(reader.seen, 70000u);  // the allocated length, at least the file's
        EXPECT_EQ(reader.nonZero, 0u);
        EXPECT_TRUE(sink.fates.empty());
        reader.Close();
        EXPECT_FALSE(nvtest::Exists(file));
        EXPECT_FALSE(AnyFileBelow(dir.path()));  // nor under a random name
    }
}

TEST(SecureDeletion, FilesThatStayAreNeverWritten) {
    nvtest::ScratchDir dir(L"stay");
    const std::wstring ro = dir / L"ro.dat", locked = dir / L"locked.dat", shared = dir / L"shared.dat",
                       sparse = dir / L"sparse.dat";
    for (const auto& f : {ro, locked, shared}) nvtest::WriteFile(f, 5000, 'A');
    erasetest::SetAttrs(ro, FILE_ATTRIBUTE_READONLY);
    erasetest::Held lock(locked);
    ASSERT_TRUE(lock.ok());
    // Read by another program that lets others delete it, but not write it.
    ScopedFile reader(CreateFileW(shared.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    {
        // Data at the start only, the rest a hole: where its data lies is unknown here.
        nvtest::WriteFile(sparse, 4096, 'A');
        ScopedFile h(CreateFileW(sparse.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = 64 << 20;
        SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(h.get());
    }
    FILE_STANDARD_INFO layout{};
    {
        ScopedFile h(CreateFileW(sparse.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, 0, nullptr));
        GetFileInformationByHandleEx(h.get(), FileStandardInfo, &layout, sizeof layout);
    }

    Observer overwrites;
    FateSink preview;
    EraseContext look = Secure(&preview, true);
    DeleteExtInTree(look, dir.path(), L"dat");
    EXPECT_EQ(overwrites.overwrites, 0);  // a preview writes nothing, secure or not

    FateSink sink;
    EraseContext ctx = Secure(&sink);
    DeleteExtInTree(ctx, dir.path(), L"dat");
    EXPECT_EQ(overwrites.overwrites, 0);
    EXPECT_EQ(nvtest::ReadText(ro), std::string(5000, 'A'));
    EXPECT_EQ(nvtest::ReadText(locked), std::string(5000, 'A'));
    char buf[5000];
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(reader.get(), buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), std::string(5000, 'A'));
    reader.reset();
    EXPECT_FALSE(nvtest::Exists(shared));  // deleted all the same, as without the option
    EXPECT_FALSE(nvtest::Exists(sparse));

    std::map<std::wstring, Fate> fates(sink.fates.begin(), sink.fates.end());
    EXPECT_EQ(fates[ro], Fate::ReadOnly);
    EXPECT_EQ(fates[locked], Fate::InUse);
    EXPECT_EQ(fates[shared], Fate::KeptInUse);
    if (layout.AllocationSize.QuadPart < layout.EndOfFile.QuadPart) {
        EXPECT_EQ(fates[sparse], Fate::KeptUnmapped);
    }
    ASSERT_EQ(preview.fates.size(), 1u);  // a preview foresees the read-only file only
    EXPECT_EQ(preview.fates[0], std::make_pair(ro, Fate::ReadOnly));
}

// C:\nvlinks\secure as tools/lib/plant-links.sh plants it.
TEST(SecureDeletion, LinksHardLinksAndOddNames) {
    const std::wstring root = L"C:\\nvlinks\\secure", tree = root + L"\\tree", target = root + L"\\target";
    DWORD a = GetFileAttributesW((tree + L"\\dlink").c_str());
    NEED_PLANTED(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT));
    Observer overwrites;
    FateSink sink;
    EraseContext ctx = Secure(&sink);
    EmptyFolder(ctx, tree);
    // real.txt, sub\deep.txt, "trail.", "blank " and the non-ANSI name.
    EXPECT_EQ(overwrites.overwrites, 5);
    EXPECT_FALSE(AnyFileBelow(tree, L"\\keep.txt"));  // the link stays, as a link
    EXPECT_EQ(nvtest::ReadText(target + L"\\keep.txt"), std::string(1000, 'K'));
    EXPECT_EQ(nvtest::ReadText(target + L"\\dir\\inner.txt"), std::string(2000, 'I'));
    EXPECT_EQ(nvtest::ReadText(target + L"\\hard.txt"), std::string(3000, 'H'));  // its other name keeps it
    std::map<std::wstring, Fate> fates(sink.fates.begin(), sink.fates.end());
    EXPECT_EQ(fates[tree + L"\\hard.txt"], Fate::KeptOtherNames);
    EXPECT_EQ(fates[tree + L"\\keep.txt"], Fate::Link);
    EXPECT_EQ(fates[tree + L"\\dlink"], Fate::Link);
}

}  // namespace
