// Registry, INI and delete-at-reboot primitives.
#include <gtest/gtest.h>

#include "foundation/delete_at_restart.h"
#include "foundation/erase_primitives.h"
#include "recorders.h"
#include "sandbox.h"

using namespace nv::allerase;
using nv::EraseContext;
using nv::RemovalKind;
using nvtest::KeyExists;
using nvtest::RecordingSink;
using nvtest::TestKey;
using nvtest::ValueExists;

namespace {
const HKEY HKCU = HKEY_CURRENT_USER;
}

TEST(DeleteRegKey, PlainDeleteAlwaysCountsThree) {
    TestKey k(L"regkey");
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);

    nvtest::SetString(HKCU, k.sub() + L"\\Leaf", L"v", L"x");
    EXPECT_EQ(DeleteRegKey(ctx, HKCU, k.sub() + L"\\Leaf"), 3);
    EXPECT_FALSE(KeyExists(HKCU, k.sub() + L"\\Leaf"));

    nvtest::CreateKey(HKCU, k.sub() + L"\\Parent\\Child");
    EXPECT_EQ(DeleteRegKey(ctx, HKCU, k.sub() + L"\\Parent"), 3);
    EXPECT_TRUE(KeyExists(HKCU, k.sub() + L"\\Parent\\Child"));  // has subkeys: refused by the plain delete

    // Missing: created and deleted again, and so are the parents it needed.
    EXPECT_EQ(DeleteRegKey(ctx, HKCU, k.sub() + L"\\No\\Such\\Key"), 3);
    EXPECT_FALSE(KeyExists(HKCU, k.sub() + L"\\No"));
    EXPECT_TRUE(KeyExists(HKCU, k.sub()));

    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], L"key\t" + k.path() + L"\\Leaf\t0");
}

TEST(DeleteRegTree, RemovesEverythingBelowAndCountsFive) {
    TestKey k(L"regtree");
    nvtest::SetString(HKCU, k.sub() + L"\\T\\A\\B", L"v", L"x");
    nvtest::SetDword(HKCU, k.sub() + L"\\T", L"d", 1);
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);
    EXPECT_EQ(DeleteRegTree(ctx, HKCU, k.sub() + L"\\T"), 5);
    EXPECT_FALSE(KeyExists(HKCU, k.sub() + L"\\T"));
    EXPECT_EQ(DeleteRegTree(ctx, HKCU, k.sub() + L"\\T"), 5);
    EXPECT_EQ(sink.lines, std::vector<std::wstring>{L"keytree\t" + k.path() + L"\\T\t0"});
}

TEST(DeleteRegValue, DeletesOneValueAndCountsOne) {
    TestKey k(L"regvalue");
    nvtest::SetString(HKCU, k.sub(), L"gone", L"x");
    nvtest::SetString(HKCU, k.sub(), L"kept", L"y");
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);
    EXPECT_EQ(DeleteRegValue(ctx, HKCU, k.sub(), L"gone"), 1);
    EXPECT_EQ(DeleteRegValue(ctx, HKCU, k.sub(), L"gone"), 1);
    EXPECT_EQ(DeleteRegValue(ctx, HKCU, k.sub() + L"\\Missing", L"gone"), 1);
    EXPECT_FALSE(ValueExists(HKCU, k.sub(), L"gone"));
    EXPECT_TRUE(ValueExists(HKCU, k.sub(), L"kept"));
    EXPECT_EQ(sink.lines, std::vector<std::wstring>{L"value\t" + k.path() + L"\\gone\t0"});
}

TEST(Preview, RegistryPrimitivesMatchTheCleanAndWriteNothing) {
    TestKey k(L"regpreview");
    auto build = [&] {
        nvtest::SetString(HKCU, k.sub() + L"\\Plain", L"v", L"x");
        nvtest::SetString(HKCU, k.sub() + L"\\Tree\\Sub", L"v", L"x");
        nvtest::SetString(HKCU, k.sub(), L"val", L"x");
    };
    build();
    auto runAll = [&](EraseContext& ctx) {
        int n = DeleteRegKey(ctx, HKCU, k.sub() + L"\\Plain");
        n += DeleteRegKey(ctx, HKCU, k.sub() + L"\\Tree");
        n += DeleteRegKey(ctx, HKCU, k.sub() + L"\\Missing\\Deeper");
        n += DeleteRegTree(ctx, HKCU, k.sub() + L"\\Tree");
        n += DeleteRegTree(ctx, HKCU, k.sub() + L"\\Missing");
        n += DeleteRegValue(ctx, HKCU, k.sub(), L"val");
        n += DeleteRegValue(ctx, HKCU, k.sub(), L"none");
        return n;
    };
    RecordingSink heard, done;
    EraseContext preview(true), clean;
    preview.set_sink(&heard);
    clean.set_sink(&done);
    EXPECT_EQ(runAll(preview), 3 + 3 + 3 + 5 + 5 + 1 + 1);
    EXPECT_TRUE(KeyExists(HKCU, k.sub() + L"\\Plain"));
    EXPECT_TRUE(KeyExists(HKCU, k.sub() + L"\\Tree\\Sub"));
    EXPECT_FALSE(KeyExists(HKCU, k.sub() + L"\\Missing"));
    EXPECT_TRUE(ValueExists(HKCU, k.sub(), L"val"));
    EXPECT_EQ(runAll(clean), 21);
    EXPECT_EQ(heard.lines, done.lines);
    EXPECT_EQ(done.lines.size(), 3u);  // Plain, the Tree tree, val
}

TEST(DeleteIniSection, RemovesOneSectionAndCreatesNoFile) {
    nvtest::ScratchDir d(L"ini");
    std::wstring ini = d / L"c.ini";
    nvtest::WriteText(ini, "[TypedUrls]\r\nurl1=a\r\nurl2=b\r\n[Keep]\r\nk=v\r\n");
    RecordingSink heard, done;
    EraseContext preview(true), clean;
    preview.set_sink(&heard);
    clean.set_sink(&done);
    DeleteIniSection(preview, ini, L"typedurls");
    EXPECT_NE(nvtest::ReadText(ini).find("url1"), std::string::npos);
    DeleteIniSection(clean, ini, L"typedurls");
    std::string text = nvtest::ReadText(ini);
    EXPECT_EQ(text.find("TypedUrls"), std::string::npos);
    EXPECT_NE(text.find("[Keep]"), std::string::npos);
    EXPECT_EQ(heard.lines, done.lines);
    EXPECT_EQ(done.lines, std::vector<std::wstring>{L"inisection\t" + ini + L" [typedurls]\t0"});

    DeleteIniSection(clean, d / L"missing.ini", L"TypedUrls");
    EXPECT_FALSE(nvtest::Exists(d / L"missing.ini"));
}

namespace {
std::wstring PendingRenames() {
    HKEY k;
    std::wstring out;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &k))
        return out;
    DWORD size = 0;
    if (RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        out.resize(size / sizeof(wchar_t));
        RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(out.data()), &size);
        for (auto& c : out)
            if (c == 0) c = L'|';
    }
    RegCloseKey(k);
    return out;
}
}  // namespace

TEST(DeleteAtReboot, MarksExistingFilesOnlyAndPreviewMarksNothing) {
    nvtest::ScratchDir d(L"reboot");
    nvtest::WriteFile(d / L"locked.dat", 10);
    RecordingSink heard, done;
    EraseContext preview(true), clean;
    preview.set_sink(&heard);
    clean.set_sink(&done);
    nv::Normal::DeleteAtReboot(preview, d / L"locked.dat");
    EXPECT_EQ(PendingRenames().find(d / L"locked.dat"), std::wstring::npos);
    nv::Normal::DeleteAtReboot(clean, d / L"locked.dat");
    EXPECT_NE(PendingRenames().find(d / L"locked.dat"), std::wstring::npos);
    nv::Normal::DeleteAtReboot(clean, d / L"missing.dat");
    EXPECT_EQ(PendingRenames().find(d / L"missing.dat"), std::wstring::npos);
    EXPECT_EQ(heard.lines, done.lines);
    EXPECT_EQ(done.lines, std::vector<std::wstring>{L"atreboot\t" + (d / L"locked.dat") + L"\t0"});
}

// Run by tests/foundation/atreboot_e2e.sh around a `wineboot -r`; not part
// of the normal suite.
TEST(AtRebootEndToEnd, DISABLED_MarkFiles) {
    nvtest::MakeDirs(L"C:\\nvreboot");
    nvtest::WriteFile(L"C:\\nvreboot\\doomed.txt", 10);
    nvtest::WriteFile(L"C:\\nvreboot\\kept.txt", 10);
    EraseContext ctx;
    nv::Normal::DeleteAtReboot(ctx, L"C:\\nvreboot\\doomed.txt");
    nv::Normal::DeleteAtReboot(ctx, L"C:\\nvlinks\\atreboot\\tree\\keep.txt");  // a link: refused
    EXPECT_NE(PendingRenames().find(L"C:\\nvreboot\\doomed.txt"), std::wstring::npos);
}

// Link keys planted where the primitives look (created here: Wine makes
// them like Windows does). The link alone may be touched, never its target.
TEST(RegistryLinks, NoPrimitiveActsThroughALinkKey) {
    TestKey k(L"reglink");
    const std::wstring s = k.sub();
    auto buildTargets = [&] {
        nvtest::SetString(HKCU, s + L"\\Precious\\Sub", L"doc", L"x");
        nvtest::SetString(HKCU, s + L"\\Precious", L"v", L"x");
        nvtest::SetString(HKCU, s + L"\\Leaf", L"v", L"x");  // no subkeys: a plain delete would take it
        nvtest::SetString(HKCU, s + L"\\Tree\\Other\\Deep", L"v", L"x");
        nvtest::SetString(HKCU, s + L"\\Tree", L"v", L"x");
    };
    buildTargets();
    nvtest::RegLink toTree(HKCU, s + L"\\TreeLink", s + L"\\Precious");
    nvtest::RegLink toLeaf(HKCU, s + L"\\LeafLink", s + L"\\Leaf");
    nvtest::RegLink inside(HKCU, s + L"\\Tree\\Inner", s + L"\\Precious");
    ASSERT_TRUE(toTree.ok() && toLeaf.ok() && inside.ok());
    ASSERT_TRUE(KeyExists(HKCU, s + L"\\TreeLink\\Sub"));  // the links work

    auto runAll = [&](EraseContext& ctx) {
        int n = DeleteRegTree(ctx, HKCU, s + L"\\TreeLink");
        n += DeleteRegKey(ctx, HKCU, s + L"\\LeafLink");
        n += DeleteRegKey(ctx, HKCU, s + L"\\TreeLink");
        n += DeleteRegValue(ctx, HKCU, s + L"\\LeafLink", L"v");
        n += DeleteRegValue(ctx, HKCU, s + L"\\TreeLink", L"v");
        n += DeleteRegTree(ctx, HKCU, s + L"\\Tree");  // the link inside stays, the rest goes
        return n;
    };
    auto expectTargetsIntact = [&] {
        EXPECT_TRUE(ValueExists(HKCU, s + L"\\Precious\\Sub", L"doc"));
        EXPECT_TRUE(ValueExists(HKCU, s + L"\\Precious", L"v"));
        EXPECT_TRUE(ValueExists(HKCU, s + L"\\Leaf", L"v"));
        EXPECT_TRUE(KeyExists(HKCU, s + L"\\TreeLink\\Sub"));
        EXPECT_TRUE(KeyExists(HKCU, s + L"\\LeafLink"));
        EXPECT_TRUE(KeyExists(HKCU, s + L"\\Tree\\Inner\\Sub"));
    };
    RecordingSink heard, done;
    EraseContext preview(true), clean;
    preview.set_sink(&heard);
    clean.set_sink(&done);
    EXPECT_EQ(runAll(preview), 5 + 3 + 3 + 1 + 1 + 5);
    expectTargetsIntact();
    EXPECT_TRUE(KeyExists(HKCU, s + L"\\Tree\\Other\\Deep"));
    EXPECT_TRUE(ValueExists(HKCU, s + L"\\Tree", L"v"));
    EXPECT_EQ(runAll(clean), 18);
    expectTargetsIntact();
    EXPECT_FALSE(KeyExists(HKCU, s + L"\\Tree\\Other"));
    EXPECT_FALSE(ValueExists(HKCU, s + L"\\Tree", L"v"));  // the key stays for the link, its content goes
    EXPECT_EQ(heard.lines, done.lines);
    const std::wstring t = k.path();
    EXPECT_EQ(done.lines, (std::vector<std::wstring>{
                              L"refused\t" + t + L"\\TreeLink\t0",
                              L"refused\t" + t + L"\\LeafLink\t0",
                              L"refused\t" + t + L"\\TreeLink\t0",
                              L"refused\t" + t + L"\\LeafLink\\v\t0",
                              L"refused\t" + t + L"\\TreeLink\\v\t0",
                              L"refused\t" + t + L"\\Tree\\Inner\t0",
                              // the key stays for the link: what goes below it is heard instead
                              L"keytree\t" + t + L"\\Tree\\Other\t0",
                              L"value\t" + t + L"\\Tree\\v\t0",
                          }));
}

namespace {
// Remembers the fate heard with each refusal as well.
class FateSink : public RecordingSink {
public:
    void OnFate(const std::wstring& target, double, nv::Fate fate) override { fates.emplace_back(target, fate); }
    std::vector<std::pair<std::wstring, nv::Fate>> fates;
};

LONG UnlistableKey(HKEY, DWORD, wchar_t*, DWORD*) { return ERROR_INVALID_HANDLE; }

// Installs the stand-in listing calls for the lifetime of the object.
struct ListingDouble {
    ListingDouble(detail::RegEnumFn subkeys, detail::RegEnumFn values) { detail::SetRegEnum(subkeys, values); }
    ~ListingDouble() { detail::SetRegEnum(nullptr, nullptr); }
};
}  // namespace

TEST(RegistryRule, SystemTreesAreRefusedUncountedByEveryPrimitive) {
    // A key of the test prefix's own SYSTEM tree, made for the test.
    const std::wstring sys = L"SYSTEM\\NorvaleTest-" + std::to_wstring(GetCurrentProcessId());
    nvtest::SetString(HKEY_LOCAL_MACHINE, sys + L"\\Sub", L"v", L"x");
    for (bool preview : {true, false}) {
        FateSink sink;
        EraseContext ctx(preview);
        ctx.set_sink(&sink);
        EXPECT_EQ(DeleteRegTree(ctx, HKEY_LOCAL_MACHINE, sys), 0);
        EXPECT_EQ(DeleteRegKey(ctx, HKEY_LOCAL_MACHINE, L"system\\\\" + sys.substr(7) + L"\\Sub\\"), 0);
        EXPECT_EQ(DeleteRegValue(ctx, HKEY_LOCAL_MACHINE, sys + L"\\Sub", L"v"), 0);
        const std::wstring t = L"HKEY_LOCAL_MACHINE\\" + sys;
        EXPECT_EQ(sink.lines, (std::vector<std::wstring>{L"refused\t" + t + L"\t0",
                                                          L"refused\tHKEY_LOCAL_MACHINE\\system\\\\" + sys.substr(7) +
                                                              L"\\Sub\\\t0",
                                                          L"refused\t" + t + L"\\Sub\\v\t0"}));
        for (const auto& [target, fate] : sink.fates) EXPECT_EQ(fate, nv::Fate::Protected) << target;
        EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, sys + L"\\Sub", L"v"));
    }
    nvtest::DeleteTree(HKEY_LOCAL_MACHINE, sys);
}

TEST(RegistryRule, AKeyThatCannotBeListedEndsTheWalkAndStays) {
    TestKey k(L"unlistable");
    nvtest::SetString(HKCU, k.sub() + L"\\T\\A", L"v", L"x");
    nvtest::SetString(HKCU, k.sub() + L"\\T", L"w", L"y");
    // Keys that answer an error at every index, for their subkeys or their
    // values: without an end the walk would spin for ever.
    for (auto [subkeys, values] : {std::pair<detail::RegEnumFn, detail::RegEnumFn>{UnlistableKey, nullptr},
                                   std::pair<detail::RegEnumFn, detail::RegEnumFn>{nullptr, UnlistableKey}}) {
        for (bool preview : {true, false}) {
            ListingDouble listing(subkeys, values);
            FateSink sink;
            EraseContext ctx(preview);
            ctx.set_sink(&sink);
            EXPECT_EQ(DeleteRegTree(ctx, HKCU, k.sub() + L"\\T"), 5);
            EXPECT_EQ(DeleteRegKey(ctx, HKCU, k.sub() + L"\\T"), 3);
            EXPECT_EQ(sink.lines.front(), L"refused\t" + k.path() + L"\\T\t0");
            ASSERT_FALSE(sink.fates.empty());
            EXPECT_EQ(sink.fates.front().second, nv::Fate::NotListed);
            EXPECT_TRUE(ValueExists(HKCU, k.sub() + L"\\T\\A", L"v"));
            EXPECT_TRUE(ValueExists(HKCU, k.sub() + L"\\T", L"w"));
        }
    }
    EraseContext ctx;
    EXPECT_EQ(DeleteRegTree(ctx, HKCU, k.sub() + L"\\T"), 5);  // listed again: gone
    EXPECT_FALSE(KeyExists(HKCU, k.sub() + L"\\T"));
}
