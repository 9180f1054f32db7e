// The safety rules every erase primitive applies: unknown folders, protected
// targets, and links (planted from the Linux side by tools/test).
#include <gtest/gtest.h>

#include <memory>

#include <cstdlib>
#include <functional>

#include "erase_helpers.h"
#include <shlobj.h>
#include <knownfolders.h>

#include <algorithm>

#include "foundation/delete_at_restart.h"
#include "foundation/app_path.h"
#include "foundation/text.h"
#include "foundation/erase_primitives.h"
#include "planted_links.h"
#include "recorders.h"
#include "sandbox.h"

using namespace nv::allerase;
using nv::EraseContext;
using nv::RemovalKind;
using nvtest::Exists;
using nvtest::IsDir;
using nvtest::RecordingSink;
using nvtest::ScratchDir;

TEST(NormalizePath, CanonicalFormOrNothing) {
    EXPECT_EQ(NormalizePath(L"c:/Users//Ann/./AppData/../Temp/"), L"C:\\Users\\Ann\\Temp");
    EXPECT_EQ(NormalizePath(L"C:\\"), L"C:\\");
    EXPECT_EQ(NormalizePath(L"C:\\.."), L"C:\\");
    EXPECT_EQ(NormalizePath(L"C:\\a\\..\\..\\b"), L"C:\\b");
    EXPECT_EQ(NormalizePath(L"C:\\Windows. \\"), L"C:\\Windows");
    EXPECT_EQ(NormalizePath(L"\\\\?\\C:\\x\\y"), L"C:\\x\\y");
    EXPECT_EQ(NormalizePath(L"\\\\srv\\share\\a\\..\\.."), L"\\\\srv\\share");
    EXPECT_EQ(NormalizePath(L"\\\\?\\UNC\\srv\\share\\d"), L"\\\\srv\\share\\d");
    for (const wchar_t* unknown : {L"", L"Error", L"Error\\Cache", L"\\Cache", L"C:", L"C:Cache", L"\\\\srv",
                                   L"\\\\.\\PhysicalDrive0", L"..\\x"}) {
        EXPECT_EQ(NormalizePath(unknown), L"") << nvtest::Narrow(unknown);
        EXPECT_TRUE(IsUnknownFolder(unknown));
    }
}

TEST(IsProtectedFolder, RootsSystemFoldersTheProfileAndWhatIsAboveThem) {
    wchar_t win[MAX_PATH];
    GetWindowsDirectoryW(win, MAX_PATH);
    std::wstring w = win;
    for (const std::wstring& p : {std::wstring(L"C:\\"), std::wstring(L"d:/"), std::wstring(L"\\\\srv\\share\\"), w,
                                  w + L"\\", w + L"\\Temp\\..", nv::ToLower(w), w + L".", std::wstring(L"C:/windows//")})
        EXPECT_TRUE(IsProtectedFolder(p)) << nvtest::Narrow(p);
    EXPECT_FALSE(IsProtectedFolder(w + L"\\Temp"));

    const char* profile = std::getenv("USERPROFILE");
    ASSERT_NE(profile, nullptr);
    std::wstring prof = nv::FromUtf8(profile);
    EXPECT_TRUE(IsProtectedFolder(prof));
    EXPECT_TRUE(IsProtectedFolder(prof.substr(0, prof.find_last_of(L'\\'))));  // C:\users holds it
    EXPECT_FALSE(IsProtectedFolder(prof + L"\\AppData\\Local\\Vendor"));
    EXPECT_FALSE(IsProtectedFolder(L"Error\\Cache"));  // unknown, not protected

    wchar_t pf[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", pf, MAX_PATH), 0u);
    EXPECT_TRUE(IsProtectedFolder(pf));
    EXPECT_FALSE(IsProtectedFolder(std::wstring(pf) + L"\\Vendor\\Cache"));
}

// Every protected folder in every spelling is refused as a whole and as the
// parent of a wildcard; one folder below each may be cleaned.
TEST(PathRule, EveryProtectedFolderInEverySpelling) {
    auto known = [](REFKNOWNFOLDERID id) {
        PWSTR p = nullptr;
        std::wstring out = SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &p)) ? p : L"";
        CoTaskMemFree(p);
        return out;
    };
    ScratchDir app(L"ruleapp");  // the test's own folder lies outside drive C
    nv::SetAppFolderForTests(app.path());
    std::unique_ptr<void, void (*)(void*)> restore(&app, [](void*) { nv::SetAppFolderForTests(L""); });
    wchar_t win[MAX_PATH];
    GetWindowsDirectoryW(win, MAX_PATH);
    const std::wstring w = win, profile = known(FOLDERID_Profile);
    const std::wstring users = profile.substr(0, profile.find_last_of(L'\\'));
    std::vector<std::wstring> folders = {L"C:\\", w, w + L"\\System32", w + L"\\SysWOW64", w + L"\\WinSxS",
                                         known(FOLDERID_ProgramFiles), known(FOLDERID_ProgramFilesX86),
                                         known(FOLDERID_ProgramData), users, users + L"\\Public", profile,
                                         nv::AppFolder(), nv::AppFolder() + L"\\plus-in"};
    for (const wchar_t* rel : {L"AppData", L"AppData\\Roaming", L"AppData\\Local", L"AppData\\LocalLow", L"Documents",
                               L"Desktop", L"Downloads", L"Pictures", L"Music", L"Videos", L"Favorites",
                               L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
                               L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
                               L"AppData\\Roaming\\Microsoft\\Windows\\SendTo", L"AppData\\Roaming\\Microsoft\\Windows\\Templates"})
        folders.push_back(profile + L"\\" + rel);
    const std::vector<std::wstring> all = {L"*.*"};
    for (const std::wstring& f : folders) {
        ASSERT_FALSE(f.empty());
        CreateDirectoryW(f.c_str(), nullptr);  // a short name exists only for a folder that does
        wchar_t shortName[MAX_PATH] = {};
        if (!GetShortPathNameW(f.c_str(), shortName, MAX_PATH)) wcscpy(shortName, f.c_str());
        std::wstring slashes = f;
        std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
        for (const std::wstring& spelling :
             {f, nv::ToLower(f), slashes, f + L"\\", f + L". \\", f + L"\\sub\\..", L"\\\\?\\" + f, L"\\\\.\\" + f,
              std::wstring(shortName)}) {
            SCOPED_TRACE(nvtest::Narrow(spelling));
            EXPECT_TRUE(IsProtectedFolder(spelling));
            for (Reach reach : {Reach::Folder, Reach::Tree, Reach::TreeAndFolders})
                EXPECT_TRUE(LineRefusal(spelling, all, reach).has_value());
            EXPECT_TRUE(LineRefusal(spelling + L"\\*", all, Reach::Folder).has_value());
            EXPECT_TRUE(LineRefusal(spelling + L"\\*\\*", all, Reach::Folder).has_value());
            // Files named particularly, directly in it, may go.
            EXPECT_FALSE(LineRefusal(spelling, {L"*.log", L"setupact.log"}, Reach::Folder).has_value());
            EXPECT_TRUE(LineRefusal(spelling, {L"*.log"}, Reach::Tree).has_value());
            EXPECT_TRUE(LineRefusal(spelling, {L"*.dll"}, Reach::Folder).has_value());
        }
        const std::wstring below = f + (f.back() == L'\\' ? L"" : L"\\") + L"NvVendor";
        EXPECT_FALSE(IsProtectedFolder(below)) << nvtest::Narrow(below);
        EXPECT_FALSE(LineRefusal(below, all, Reach::TreeAndFolders).has_value()) << nvtest::Narrow(below);
        EXPECT_FALSE(LineRefusal(f + L"\\*\\Cache", all, Reach::TreeAndFolders).has_value()) << nvtest::Narrow(f);
    }
    // The wildcard cases of hand-written plug-ins and imports.
    const std::wstring local = known(FOLDERID_LocalAppData), roaming = known(FOLDERID_RoamingAppData);
    for (const std::wstring& ok : {local + L"\\Google\\Chrome\\User Data\\*\\Cache",
                                   roaming + L"\\Mozilla\\Firefox\\Profiles\\*\\cache2", users + L"\\*\\AppData\\Local\\Temp",
                                   std::wstring(L"C:\\NvData\\*"), std::wstring(L"C:\\NvData\\*\\*")})
        EXPECT_FALSE(LineRefusal(ok, all, Reach::TreeAndFolders).has_value()) << nvtest::Narrow(ok);
    for (const std::wstring& bad : {std::wstring(L"C:\\*"), std::wstring(L"C:\\*\\*"), w + L"\\*", profile + L"\\*",
                                    roaming + L"\\*", users + L"\\*\\*", std::wstring(L"C:\\NvData\\a\0b", 13),
                                    std::wstring(L"C:\\NvData\\a|b")})
        EXPECT_TRUE(LineRefusal(bad, all, Reach::Folder).has_value()) << nvtest::Narrow(bad);
    EXPECT_TRUE(LineRefusal(L"C:\\NvData", {std::wstring(L"a.txt\0.bak", 10)}, Reach::Folder).has_value());
}

TEST(IsProtectedKey, EverySpellingOfTheSystemTreesAndPlatformKeys) {
    const struct {
        HKEY root;
        const wchar_t* key;
        bool tree, value;  // refused as a key or tree; values in it refused
    } cases[] = {
        {HKEY_CURRENT_USER, L"", true, true},
        {HKEY_CURRENT_USER, L"\\", true, true},
        {HKEY_CURRENT_USER, L" ", true, true},
        {HKEY_CURRENT_USER, L"Software", true, true},
        {HKEY_CURRENT_USER, L"Software\\\\", true, true},
        {HKEY_CLASSES_ROOT, L".txt", true, true},
        {HKEY_CLASSES_ROOT, L".txt\\OpenWithList", false, false},
        {HKEY_USERS, L".DEFAULT\\Software", true, true},
        {HKEY_USERS, L".DEFAULT\\Software\\Microsoft\\Internet Explorer\\IntelliForms", false, false},
        // The system trees: at and below, keys and values, any case.
        {HKEY_LOCAL_MACHINE, L"SYSTEM", true, true},
        {HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet", true, true},
        {HKEY_LOCAL_MACHINE, L"system\\\\CurrentControlSet\\Services\\Tcpip\\", true, true},
        {HKEY_LOCAL_MACHINE, L"\\System\\ControlSet001\\Control", true, true},
        {HKEY_LOCAL_MACHINE, L"SAM\\SAM\\Domains", true, true},
        {HKEY_LOCAL_MACHINE, L"Security\\Policy", true, true},
        {HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System", true, true},
        {HKEY_LOCAL_MACHINE, L"BCD00000000\\Objects", true, true},
        {HKEY_CURRENT_CONFIG, L"Software\\Fonts", true, true},
        {HKEY_CURRENT_USER, L"SYSTEM\\CurrentControlSet", false, false},  // only the machine's
        {HKEY_LOCAL_MACHINE, L"SYSTEMS\\X", false, false},
        // The platform's vendor keys: refused as keys and trees; below them
        // (and every other vendor) allowed; their own values allowed.
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft", true, false},
        {HKEY_LOCAL_MACHINE, L"software\\microsoft\\", true, false},
        {HKEY_CURRENT_USER, L"Software\\Microsoft", true, false},
        {HKEY_CURRENT_USER, L"Software\\Classes", true, false},
        {HKEY_CURRENT_USER, L"Software\\Classes\\.txt", true, false},
        {HKEY_CURRENT_USER, L"Software\\Classes\\.txt\\OpenWithList", false, false},
        {HKEY_CURRENT_USER, L"Software\\Policies", true, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients", true, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", true, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node", true, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Microsoft", true, false},
        {HKEY_CURRENT_USER, L"Software\\WOW6432NODE\\Policies\\", true, false},
        {HKEY_USERS, L"S-1-5-21-1-2-3-1001\\Software\\Microsoft", true, false},
        {HKEY_USERS, L".DEFAULT\\Software\\Wow6432Node\\Clients", true, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib", false, false},
        {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", false, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Microsoft\\Vendor App", false, false},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Vendor", false, false},
        {HKEY_CURRENT_USER, L"Software\\Vendor", false, false},
        {HKEY_CURRENT_USER, L"Software\\Microsofts", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(KeyText(c.root, c.key));
        EXPECT_EQ(IsProtectedKey(c.root, c.key), c.tree);
        EXPECT_EQ(IsProtectedRegTarget(c.root, c.key, false), c.tree);
        EXPECT_EQ(IsProtectedRegTarget(c.root, c.key, true), c.value);
    }
    EXPECT_EQ(KeyText(HKEY_CURRENT_USER, L"Software\\X"), L"HKEY_CURRENT_USER\\Software\\X");
}

TEST(UnknownFolder, NothingIsDeletedCreatedOrCounted) {
    ScratchDir d(L"unknown");
    erasetest::BuildTree(d / L"Error\\Cache", false);
    wchar_t oldCwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, oldCwd);
    SetCurrentDirectoryW(d.path().c_str());  // where a relative path would land
    auto before = erasetest::Snapshot(d.path());
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);
    for (const wchar_t* f : {L"Error\\Cache", L"", L"Error", L"\\Error\\Cache"}) {
        EXPECT_EQ(DeleteFileInTree(ctx, f, L"a.txt"), 0);
        EXPECT_EQ(DeleteAllFilesInTree(ctx, f), std::nullopt);
        EXPECT_EQ(DeleteExtInTree(ctx, f, L"tmp"), 0);
        EXPECT_EQ(DeleteFolderInTree(ctx, f, L"cache"), 0);
        EXPECT_EQ(EmptyFolder(ctx, f), 0);
        EXPECT_EQ(EmptyFolder(ctx, std::wstring(f) + L"\\New"), 0);
        EXPECT_EQ(DeleteAllFiles(ctx, f), std::nullopt);
        EXPECT_EQ(DeleteFileInFolder(ctx, f, L"a.txt"), std::nullopt);
        EXPECT_EQ(DeleteExtInFolder(ctx, f, L"tmp"), std::nullopt);
        EXPECT_EQ(FolderSize(f), 0);
        nv::Normal::DeleteAtReboot(ctx, std::wstring(f) + L"\\a.txt");
        DeleteIniSection(ctx, std::wstring(f) + L"\\x.ini", L"S");
    }
    SetCurrentDirectoryW(oldCwd);
    EXPECT_EQ(erasetest::Snapshot(d.path()), before);
    EXPECT_TRUE(sink.lines.empty());
}

TEST(ProtectedFolder, RefusedAndReported) {
    ScratchDir d(L"prot");
    erasetest::BuildTree(d / L"users\\ann", false);
    auto before = erasetest::Snapshot(d.path());
    auto profile = std::make_unique<nvtest::EnvVar>(L"USERPROFILE", d / L"users\\ann");
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);
    EXPECT_EQ(EmptyFolder(ctx, d / L"users\\ann"), 0);
    EXPECT_EQ(EmptyFolder(ctx, d / L"users\\ann\\sub\\..\\"), 0);
    EXPECT_EQ(DeleteAllFilesInTree(ctx, d / L"users"), std::nullopt);
    EXPECT_EQ(DeleteFolderInTree(ctx, d.path(), L"users"), 0);  // refused: d holds the profile
    EXPECT_EQ(DeleteFileInTree(ctx, L"C:\\", L"no-such-file"), 0);
    EXPECT_EQ(DeleteExtInTree(ctx, L"c:/windows/", L"no-such-ext"), 0);
    nv::Normal::DeleteAtReboot(ctx, d / L"users\\ann");
    profile.reset();
    EXPECT_EQ(erasetest::Snapshot(d.path()), before);
    ASSERT_EQ(sink.lines.size(), 7u);
    EXPECT_EQ(sink.lines[0], L"refused\t" + d.path() + L"\\users\\ann\t0");
    EXPECT_EQ(sink.Count(RemovalKind::Refused), 7u);
    // An ordinary folder below the profile is fine.
    EXPECT_EQ(EmptyFolder(ctx, d / L"users\\ann\\sub"), 7000 + 1000 + 200 + 2000 + 10 + 20);
}

TEST(ProtectedKey, RefusedAndReported) {
    std::wstring top = L"NorvaleTop-" + std::to_wstring(GetCurrentProcessId());
    nvtest::SetString(HKEY_CURRENT_USER, top, L"v", L"x");
    RecordingSink sink;
    EraseContext ctx;
    ctx.set_sink(&sink);
    // Refusals count nothing.
    EXPECT_EQ(DeleteRegTree(ctx, HKEY_CURRENT_USER, top), 0);
    EXPECT_EQ(DeleteRegKey(ctx, HKEY_CURRENT_USER, top), 0);
    EXPECT_EQ(DeleteRegKey(ctx, HKEY_CURRENT_USER, L""), 0);
    EXPECT_EQ(DeleteRegValue(ctx, HKEY_CURRENT_USER, L"", L"v"), 0);
    // Nor does a value directly in a first-level key go.
    EXPECT_EQ(DeleteRegValue(ctx, HKEY_CURRENT_USER, top, L"v"), 0);
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, top, L"v"));
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, L"Software"));
    EXPECT_EQ(sink.Count(RemovalKind::Refused), 5u);
    EXPECT_EQ(sink.lines[0], L"refused\tHKEY_CURRENT_USER\\" + top + L"\t0");
    nvtest::DeleteTree(HKEY_CURRENT_USER, top);
}

// ---- links ----

namespace {

using nvtest::LinkCase;

}  // namespace

TEST(Links, TreeWalksNeitherEnterNorDeleteThroughLinks) {
    struct Case {
        const wchar_t* name;
        std::function<std::optional<double>(EraseContext&, const std::wstring&)> run;
        std::optional<double> expected;
    };
    const std::vector<Case> cases = {
        {L"fileintree", [](auto& c, auto& t) { return DeleteFileInTree(c, t, L"keep.txt") + DeleteFileInTree(c, t, L"inner.txt"); }, 0.0},
        {L"allfilesintree", [](auto& c, auto& t) { return DeleteAllFilesInTree(c, t); }, 30.0},
        {L"extintree", [](auto& c, auto& t) { return DeleteExtInTree(c, t, L"txt") + DeleteExtInTree(c, t, L"ini"); }, 30.0},
        {L"folderintree", [](auto& c, auto& t) { return DeleteFolderInTree(c, t, L"cache") + DeleteFolderInTree(c, t, L"dlink"); }, 0.0},
        {L"emptyfolder", [](auto& c, auto& t) { return EmptyFolder(c, t); }, 30.0},
        {L"allfiles", [](auto& c, auto& t) { return DeleteAllFiles(c, t); }, 10.0},
        {L"fileinfolder", [](auto& c, auto& t) { return DeleteFileInFolder(c, t, L"flink.txt"); }, 0.0},
        {L"extinfolder", [](auto& c, auto& t) { return DeleteExtInFolder(c, t, L"txt"); }, 10.0},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(nvtest::Narrow(tc.name));
        LinkCase lc(tc.name);
        NEED_LINKS(lc);
        RecordingSink sink;
        EraseContext ctx;
        ctx.set_sink(&sink);
        EXPECT_EQ(tc.run(ctx, lc.tree()), tc.expected);
        lc.ExpectTargetsIntact();
        EXPECT_GT(sink.Count(RemovalKind::Refused), 0u);
    }
}

TEST(Links, SizesPreviewAndSingleTargetsStayOnTheirSide) {
    LinkCase size(L"foldersize");
    NEED_LINKS(size);
    EXPECT_EQ(FolderSize(size.tree() + L"\\sub"), 20);
    EXPECT_EQ(FolderSize(size.root + L"\\toplink"), 0);

    LinkCase pv(L"preview");
    RecordingSink heard, done;
    EraseContext preview(true), clean;
    preview.set_sink(&heard);
    clean.set_sink(&done);
    EXPECT_EQ(EmptyFolder(preview, pv.tree()), 30);
    EXPECT_EQ(EmptyFolder(clean, pv.tree()), 30);
    EXPECT_EQ(heard.lines, done.lines);
    pv.ExpectTargetsIntact();

    LinkCase top(L"toplink");
    std::wstring link = top.root + L"\\toplink";
    EXPECT_EQ(EmptyFolder(clean, link), 0);
    EXPECT_EQ(DeleteAllFilesInTree(clean, link), std::nullopt);
    EXPECT_EQ(DeleteAllFiles(clean, link), std::nullopt);
    EXPECT_EQ(DeleteFolderInTree(clean, top.root, L"toplink"), 0);
    top.ExpectTargetsIntact();

    LinkCase ini(L"inisection");
    DeleteIniSection(clean, ini.tree() + L"\\config.ini", L"S");
    ini.ExpectTargetsIntact();

    LinkCase reboot(L"atreboot");
    size_t refusedBefore = done.Count(RemovalKind::Refused);
    nv::Normal::DeleteAtReboot(clean, reboot.tree() + L"\\flink.txt");
    nv::Normal::DeleteAtReboot(clean, reboot.tree() + L"\\dlink");
    EXPECT_EQ(done.Count(RemovalKind::Refused), refusedBefore + 2);
    EXPECT_EQ(done.Count(RemovalKind::AtReboot), 0u);
}

// Under Wine a name ending in a dot or a blank resolves without that ending;
// such files are cleaned like any other, while links with such names (one
// of them to a sibling of the same short form) stay refused.
TEST(Links, NamesEndingInADotOrBlankAreCleanedLinksWithThemAreNot) {
    LinkCase lc(L"trailing");
    NEED_LINKS(lc);
    const std::wstring t = lc.tree();
    RecordingSink pick;
    EraseContext clean;
    clean.set_sink(&pick);
    auto refused = [&](const RecordingSink& sink, const wchar_t* name) {
        return std::find(sink.lines.begin(), sink.lines.end(), L"refused\t" + t + name + L"\t0") != sink.lines.end();
    };
    EXPECT_EQ(DeleteFileInTree(clean, t, L"twin."), 0);
    EXPECT_TRUE(refused(pick, L"\\twin."));
    ASSERT_TRUE(Exists(t + L"\\twin"));

    RecordingSink heard, done;
    EraseContext preview(true);
    preview.set_sink(&heard);
    clean.set_sink(&done);
    const double real = 10 + 20 + 10 + 20 + 30 + 5;  // real.txt, sub\real.txt, "trail.", "trail ", "d. \inner.", twin
    EXPECT_EQ(EmptyFolder(preview, t), real);
    EXPECT_EQ(EmptyFolder(clean, t), real);
    EXPECT_EQ(heard.lines, done.lines);
    for (const wchar_t* gone : {L"\\trail.", L"\\trail ", L"\\d. ", L"\\twin", L"\\real.txt"})
        EXPECT_FALSE(Exists(L"\\\\?\\" + t + gone)) << nvtest::Narrow(gone);
    for (const wchar_t* link : {L"\\twin.", L"\\link.", L"\\dl. "}) EXPECT_TRUE(refused(done, link)) << nvtest::Narrow(link);
    lc.ExpectTargetsIntact();
}
