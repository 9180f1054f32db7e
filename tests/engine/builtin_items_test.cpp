// The browser, messenger, Office and mail items run through CleanNow on
// prepared folders and keys: a preview first (nothing may change, the totals
// must be the clean's), then the clean.
#include <windows.h>
#include <commctrl.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "../foundation/erase_helpers.h"
#include "engine/cleaning_run.h"
#include "engine/ie_items.h"
#include "engine/run_details.h"
#include "foundation/app_path.h"
#include "foundation/list_file.h"
#include "foundation/system.h"
#include "foundation/text.h"
#include "planted_links.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "foundation/selection_profile.h"

using namespace nv;
using namespace nv::engine;

namespace {

const std::wstring kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Wine writes the browser's shell folders anew from these when the URL
// history store is created.
const std::wstring kUserShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const std::wstring kTypedUrls = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::wstring kMaxthonKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Maxthon2";
const std::wstring kYahooHelp = L"SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}\\1.0\\HELPDIR";
const std::wstring kWindowsMail = L"Software\\Microsoft\\Windows Mail";

// A string value set for the test's lifetime (nullptr removes it), then put
// back as it was, type included.
class SavedValue {
public:
    SavedValue(HKEY root, std::wstring sub, std::wstring name, const wchar_t* value)
        : root_(root), sub_(std::move(sub)), name_(std::move(name)) {
        wchar_t buf[1024];
        DWORD size = sizeof buf;
        had_ = RegGetValueW(root_, sub_.c_str(), name_.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                            &type_, buf, &size) == ERROR_SUCCESS;
        if (had_) old_ = buf;
        Set(value);
    }
    ~SavedValue() {
        Set(nullptr);
        if (had_)
            RegSetKeyValueW(root_, sub_.c_str(), name_.c_str(), type_, old_.c_str(),
                            static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
    }
    void Set(const wchar_t* value) {
        if (value) nvtest::SetString(root_, sub_, name_, value);
        else RegDeleteKeyValueW(root_, sub_.c_str(), name_.c_str());
    }

private:
    HKEY root_;
    std::wstring sub_, name_, old_;
    DWORD type_ = REG_SZ;
    bool had_ = false;
};

std::wstring StringValue(HKEY root, const std::wstring& sub, const std::wstring& name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf;
    RegGetValueW(root, sub.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size);
    return buf;
}

class Items : public nvtest::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        env_.officeProbe = [this] {
            ++probes_;
            return office_;
        };
    }
    void TearDown() override {
        RunTest::TearDown();
        // Keys of programs the prefix does not have.
        nvtest::DeleteTree(HKEY_LOCAL_MACHINE, kMaxthonKey);
        nvtest::DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\TypeLib\\{2B323CCC-50E3-11D3-9466-00A0C9700498}");
    }

    void Select(const wchar_t* section, const wchar_t* key, const wchar_t* value = L"1") {
        Inifun::WriteIniValue(profile::ProfilePath(), section, key, value);
    }
    // With `details`, the run goes through the view Analyze (preview) or a
    // clean of the main window puts in front, and is heard by both sinks.
    Counters Run(bool preview, RunDetails* details = nullptr) {
        struct Both : EraseSink {
            EraseSink *a, *b;
            void OnRemoval(const Removal& r) override { a->OnRemoval(r), b->OnRemoval(r); }
            void OnFate(const std::wstring& t, double n, Fate f) override { a->OnFate(t, n, f), b->OnFate(t, n, f); }
        } both;
        both.a = &sink_;
        both.b = details;
        RunOptions o;
        o.preview = preview;
        o.sink = details ? static_cast<EraseSink*>(&both) : &sink_;
        view_ = nvtest::RecordingView();
        std::optional<DetailsView> front;
        if (details) front.emplace(view_, *details, preview ? DetailsView::Mode::Analyze : DetailsView::Mode::Clean);
        int unattended = 0;
        EXPECT_EQ(CleanNow(front ? static_cast<RunView&>(*front) : view_, env_, counters_, unattended, o),
                  RunEnd::Completed);
        return counters_;
    }
    // An Analyze that changes nothing under the data folder, then a clean
    // with the same totals and, row by row, the same targets.
    Counters PreviewThenClean() {
        auto before = erasetest::Snapshot(data_.path());
        RunDetails analyzed(true, false), cleaned(false, false);
        Counters p = Run(true, &analyzed);
        EXPECT_EQ(erasetest::Snapshot(data_.path()), before) << "the preview changed files";
        const auto analyzedRows = view_.Labels();
        Counters c = Run(false, &cleaned);
        EXPECT_EQ(c.regCount, p.regCount);
        EXPECT_EQ(c.bytes, p.bytes);
        EXPECT_EQ(analyzedRows.size(), view_.rows.size());
        for (size_t r = 0; r + 1 < std::min(analyzedRows.size(), view_.rows.size()); ++r) {
            EXPECT_EQ(analyzedRows[r], view_.rows[r].item);
            // What can be measured beforehand; actions ("will clear the
            // browser's history") are said whether or not there was anything.
            auto measured = [](const RowTally& t) {
                return std::vector<double>{double(t.files), double(t.folders), t.bytes, double(t.registry),
                                           double(t.sections), double(t.refused)};
            };
            EXPECT_EQ(measured(analyzed.row(r).tally), measured(cleaned.row(r).tally)) << nvtest::Narrow(analyzedRows[r]);
        }
        return c;
    }
    std::wstring D(const wchar_t* rel) const { return data_ / rel; }

    SavedValue cache_{HKEY_CURRENT_USER, kShellFolders, L"Cache", D(L"Cache").c_str()};
    SavedValue cookies_{HKEY_CURRENT_USER, kShellFolders, L"Cookies", D(L"Cookies").c_str()};
    SavedValue history_{HKEY_CURRENT_USER, kShellFolders, L"History", D(L"History").c_str()};
    SavedValue favorites_{HKEY_CURRENT_USER, kShellFolders, L"Favorites", D(L"Favorites").c_str()};
    SavedValue userCache_{HKEY_CURRENT_USER, kUserShellFolders, L"Cache", D(L"Cache").c_str()};
    SavedValue userCookies_{HKEY_CURRENT_USER, kUserShellFolders, L"Cookies", D(L"Cookies").c_str()};
    SavedValue userHistory_{HKEY_CURRENT_USER, kUserShellFolders, L"History", D(L"History").c_str()};
    SavedValue personal_{HKEY_CURRENT_USER, kShellFolders, L"Personal", D(L"Docs").c_str()};
    SavedValue maxthon_{HKEY_LOCAL_MACHINE, kMaxthonKey, L"InstallLocation", nullptr};
    SavedValue yahoo_{HKEY_LOCAL_MACHINE, kYahooHelp, L"", nullptr};
    SavedValue store_{HKEY_CURRENT_USER, kWindowsMail, L"Store Root", D(L"Mail").c_str()};
    nvtest::RecordingSink sink_;
    std::wstring office_ = L"NoOffice";
    int probes_ = 0;
};

TEST(Catalogue, EveryProfileKeyHasItsItemAndNothingElseIsThere) {
    std::set<std::wstring> profileKeys, catalogueKeys;
    for (const auto& k : profile::ItemKeys())
        if (std::wstring(k.section) != L"Custom") profileKeys.insert(ToLower(std::wstring(k.section) + L"/" + k.key));
    for (const Group& g : Catalogue()) {
        for (const Item& item : g.items) {
            EXPECT_TRUE(catalogueKeys.insert(ToLower(std::wstring(g.section) + L"/" + item.key)).second);
            EXPECT_FALSE(std::wstring(item.label).empty());
        }
    }
    EXPECT_EQ(catalogueKeys, profileKeys);
    EXPECT_EQ(catalogueKeys.size(), 137u);
}

TEST_F(Items, UnreadableFoldersTouchNothing) {
    // "Error" stands for a value that could not be read: never a relative
    // folder of the current directory. Environment references are not expanded.
    cookies_.Set(nullptr);
    store_.Set(L"%USERPROFILE%\\Mail");
    for (const wchar_t* f : {L"Error\\SharedAccount\\Config\\Config.ini", L"Error\\SharedAccount\\Data\\history2.dat",
                             L"ErrorProfiles\\p", L"Error\\x.txt", L"%USERPROFILE%\\Mail\\a.oeaccount"})
        nvtest::WriteText(D(f), "[TypedUrls]\r\na=1\r\n");
    SetCurrentDirectoryW(data_.path().c_str());
    for (auto [section, key] : {std::pair{L"Maxthon", L"keywords"}, {L"Maxthon", L"groups"}, {L"Maxthon", L"settings"},
                                {L"Messenger", L"yahooprofiles"}, {L"EXPLORER", L"cookies"}, {L"mail", L"accounts"}})
        Select(section, key);
    auto before = erasetest::Snapshot(data_.path());
    Counters c = Run(false);
    SetCurrentDirectoryW(L"C:\\");
    EXPECT_EQ(erasetest::Snapshot(data_.path()), before);
    EXPECT_EQ(c.bytes, 0);
}

TEST_F(Items, CookiesAreKeptOnlyByTheirExactFullPath) {
    const std::wstring folder = D(L"Cookies");
    const std::wstring japanese = L"u@\u65e5\u672c.txt";
    nvtest::WriteFile(folder + L"\\u@kept.txt", 10);
    nvtest::WriteFile(folder + L"\\u@case.txt", 20);
    nvtest::WriteFile(folder + L"\\u@hidden.txt", 30);
    nvtest::WriteFile(folder + L"\\u@keptHidden.txt", 40);
    nvtest::WriteFile(folder + L"\\u@readonly.txt", 50);
    nvtest::WriteFile(folder + L"\\" + japanese, 60);
    nvtest::WriteFile(folder + L"\\Low\\u@sub.txt", 70);
    erasetest::SetAttrs(folder + L"\\u@hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    erasetest::SetAttrs(folder + L"\\u@keptHidden.txt", FILE_ATTRIBUTE_HIDDEN);
    erasetest::SetAttrs(folder + L"\\u@readonly.txt", FILE_ATTRIBUTE_READONLY);
    // The folder as the registry holds it, with a separator at its end.
    cookies_.Set((folder + L"\\").c_str());
    ASSERT_TRUE(listfile::Write(AppFile(L"keepcook.dat"), {folder + L"\\u@kept.txt", ToLower(folder) + L"\\u@case.txt",
                                                          folder + L"\\u@keptHidden.txt", folder + L"\\" + japanese}));
    Select(L"EXPLORER", L"cookies");
    Select(L"AOL", L"cookies");  // the same folder again: nothing more to count
    Counters got = PreviewThenClean();
    EXPECT_EQ(got.bytes, 20 + 30 + 2 * 50);  // the read-only file stays, and counts for each item
    for (auto [name, stays] : {std::pair{L"u@kept.txt", true}, {L"u@case.txt", false}, {L"u@hidden.txt", false},
                               {L"u@keptHidden.txt", true}, {L"u@readonly.txt", true}, {L"Low\\u@sub.txt", true}})
        EXPECT_EQ(nvtest::Exists(folder + L"\\" + name), stays) << nvtest::Narrow(name);
    EXPECT_TRUE(nvtest::Exists(folder + L"\\" + japanese));
    EXPECT_EQ(GetFileAttributesW((folder + L"\\u@keptHidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN,
              DWORD(FILE_ATTRIBUTE_HIDDEN));
    erasetest::SetAttrs(folder + L"\\u@readonly.txt", FILE_ATTRIBUTE_NORMAL);
    // A cookie folder that is the user's profile itself is refused.
    cookies_.Set(EnvironmentText(L"USERPROFILE").c_str());
    sink_ = nvtest::RecordingSink();
    EXPECT_EQ(PreviewThenClean().bytes, 0);
    EXPECT_EQ(sink_.Count(RemovalKind::Refused), 4u);  // both items, in the preview and the clean
}

TEST_F(Items, CookieLinksPlantedFromLinuxAreNotFollowed) {
    const std::wstring c = L"C:\\nvlinks\\cookies";
    NEED_PLANTED(nvtest::Exists(c));
    cookies_.Set((c + L"\\tree").c_str());
    Select(L"EXPLORER", L"cookies");
    Counters got = PreviewThenClean();
    EXPECT_EQ(got.bytes, 10);  // real.txt only
    EXPECT_FALSE(nvtest::Exists(c + L"\\tree\\real.txt"));
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\keep.txt").size(), 1000u);
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\config.ini"), "[S]\r\nk=v\r\n");
    EXPECT_TRUE(nvtest::Exists(c + L"\\tree\\sub\\real.txt"));
    // The cookie folder itself a link: refused whole.
    cookies_.Set((c + L"\\tree\\dlink").c_str());
    EXPECT_EQ(PreviewThenClean().bytes, 0);
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\dir\\inner.txt").size(), 2000u);
}

TEST_F(Items, InternetExplorerVersionsDecideCommandsAndInPrivate) {
    struct Case {
        int ie;
        std::vector<std::wstring> commands;
        int show;
        double bytes;
    } cases[] = {
        {9, {L"1", L"8 ", L"16", L"32"}, SW_SHOWMINIMIZED, 500000 + 100},
        {8, {L"1", L"8 ", L"16", L"32"}, SW_SHOWMINIMIZED, 500000 + 100},
        {7, {L"1", L"8 ", L"16", L"32"}, SW_SHOWMINIMIZED, 500000},
        {6, {ie::kInternetOptions}, SW_HIDE, 500000},
        {5, {}, 0, 500000},
    };
    nvtest::EnvVar profileVar(L"USERPROFILE", D(L"Profile"));
    for (const wchar_t* key : {L"history", L"cache", L"autocomplete", L"inprivate"}) Select(L"EXPLORER", key);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ie);
        env_.ieMajor = c.ie;
        nvtest::WriteFile(D(L"Profile\\PrivacIE\\index.dat"), 100);
        nvtest::WriteFile(D(L"Profile\\PrivacIE\\sub\\index.dat"), 1);
        launcher_.started.clear();
        // Wine's URL history store refuses everything: the clean counts
        // nothing for it, the preview what a store that works gives.
        Counters previewed = Run(true);
        EXPECT_EQ(previewed.regCount, 15 + 9);
        EXPECT_EQ(previewed.bytes, c.bytes);
        Counters got = Run(false);
        EXPECT_EQ(got.regCount, 9);
        EXPECT_EQ(got.bytes, c.bytes - 500000);
        ASSERT_EQ(launcher_.started.size(), c.commands.size());
        for (size_t i = 0; i < c.commands.size(); ++i) {
            std::wstring expected = c.ie == 6 ? c.commands[i] : L"RunDll32.exe InetCpl.cpl,ClearMyTracksByProcess " + c.commands[i];
            EXPECT_EQ(launcher_.started[i].commandLine, expected);
            EXPECT_EQ(launcher_.started[i].showCmd, c.show);
            EXPECT_FALSE(launcher_.started[i].waited);
        }
        EXPECT_TRUE(nvtest::Exists(D(L"Profile\\PrivacIE\\sub\\index.dat")));
    }
}

// A URL history store that cannot be opened (whatever the platform's does)
// fails both history rows, IE's and AOL's, and the clean counts nothing for
// them; the preview, which may not open it, counts what one that works gives.
TEST_F(Items, HistoryCountsOnlyWhatTheStoreReallyDid) {
    nvtest::ValueOverride broken(HKEY_LOCAL_MACHINE,
                                 L"Software\\Classes\\CLSID\\{3C374A40-BAE4-11CF-BF7D-00AA006946EE}\\InprocServer32", L"",
                                 L"C:\\nowhere\\none.dll");
    env_.ieMajor = 5;  // no commands
    Select(L"EXPLORER", L"history");
    Select(L"AOL", L"history");
    auto rows = [&] {
        std::vector<std::wstring> out;
        for (const auto& r : view_.rows) out.push_back(r.item + L": " + r.status);
        return out;
    };
    const std::wstring end = L"Task complete Successfully!: ";
    Counters previewed = Run(true);
    EXPECT_EQ(previewed.regCount, 30);
    EXPECT_EQ(previewed.bytes, 1000000);
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"IE Internet History Files: Done", L"AOL Explorer History Files: Done", end}));
    Counters got = Run(false);
    EXPECT_EQ(got.regCount, 0);
    EXPECT_EQ(got.bytes, 0);
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"IE Internet History Files: Fail, Can't open the URL history",
                                                 L"AOL Explorer History Files: Fail, Can't open the URL history", end}));
}

// The IE 6 forms step: keys go to a dialog of the started process while it
// is in front, and to nothing else.
TEST_F(Items, FormKeysGoOnlyToTheStartedDialog) {
    std::vector<WPARAM> keys;
    auto proc = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) -> LRESULT {
        if (m == WM_KEYDOWN) reinterpret_cast<std::vector<WPARAM>*>(data)->push_back(wp);
        return DefSubclassProc(w, m, wp, lp);
    };
    auto pump = [] {
        MSG msg;
        for (int i = 0; i < 20; ++i, Sleep(10))
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    };
    EraseContext erase;
    RunContext ctx{env_, view_, erase, counters_};
    const DWORD self = GetCurrentProcessId();
    for (auto [cls, pid, expected] : {std::tuple{L"#32770", self, 5}, {L"#32770", DWORD(0xFFFFFFF0), 0},
                                      {L"Static", self, 0}}) {
        HWND w = CreateWindowExW(0, cls, L"Internet Options", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(w);
        SetWindowSubclass(w, proc, 1, reinterpret_cast<DWORD_PTR>(&keys));
        SetForegroundWindow(w);
        SetFocus(w);
        pump();
        keys.clear();
        EXPECT_EQ(ie::SendKeysToDialogOf(ctx, pid, {'U', 'C', VK_RETURN, VK_ESCAPE, VK_ESCAPE}, 0), expected);
        pump();
        if (expected) EXPECT_EQ(keys, (std::vector<WPARAM>{'U', 'C', VK_RETURN, VK_ESCAPE, VK_ESCAPE}));
        else EXPECT_TRUE(keys.empty());
        DestroyWindow(w);
    }
}

TEST_F(Items, OfficeLayoutByVersionAndNoKeyWithoutOffice) {
    const std::wstring office = L"Software\\Microsoft\\Office\\";
    const std::wstring wizard = L"Software\\Microsoft\\OfficeProfileWizard\\";
    struct Case {
        const wchar_t* product;
        const wchar_t* version;
        double keys;
        std::vector<const wchar_t*> gone, kept;  // below the version's key
    } cases[] = {
        {L"NoOffice", L"", 209, {}, {L"Word\\Data", L"Access\\Settings", L"Clip Organizer\\File MRU"}},
        {L"Office2003", L"11.0", 209, {L"Word\\Data", L"Access\\Settings"}, {L"Word\\File MRU"}},
        {L"Office2007", L"12.0", 184, {L"Word\\File MRU", L"Access\\Settings"}, {L"Word\\Data", L"Access\\File MRU"}},
        {L"Office2010", L"14.0", 184, {L"Word\\File MRU", L"Access\\File MRU"}, {L"Word\\Data", L"Access\\Settings"}},
        {L"", L"", 209, {}, {L"Word\\Data"}},
    };
    for (const auto& k : profile::ItemKeys())
        if (std::wstring(k.section) == L"OFFICE") Select(L"office", k.key);
    for (const Case& c : cases) {
        SCOPED_TRACE(nvtest::Narrow(c.product));
        office_ = c.product;
        const bool known = *c.version != 0;
        const std::wstring base = known ? office + c.version + L"\\" : office;
        const std::wstring wizardBase = known ? wizard + c.version + L"\\" : wizard;
        for (const wchar_t* k : {L"Word\\Data", L"Word\\File MRU", L"Access\\Settings", L"Access\\File MRU",
                                 L"Clip Organizer\\File MRU"})
            nvtest::CreateKey(HKEY_CURRENT_USER, base + k);
        nvtest::SetString(HKEY_CURRENT_USER, base + L"Clip Organizer", L"MRUKeywords", L"x");
        nvtest::CreateKey(HKEY_CURRENT_USER, wizardBase + L"RecentFileList");
        probes_ = 0;
        EXPECT_EQ(PreviewThenClean().regCount, c.keys);
        EXPECT_EQ(probes_, 2);  // once per run
        for (const wchar_t* k : c.gone) EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, base + k)) << nvtest::Narrow(k);
        for (const wchar_t* k : c.kept) EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, base + k)) << nvtest::Narrow(k);
        EXPECT_EQ(nvtest::ValueExists(HKEY_CURRENT_USER, base + L"Clip Organizer", L"MRUKeywords"), !known);
        EXPECT_EQ(nvtest::KeyExists(HKEY_CURRENT_USER, wizardBase + L"RecentFileList"), !known);
        nvtest::DeleteTree(HKEY_CURRENT_USER, office);
        nvtest::DeleteTree(HKEY_CURRENT_USER, wizard);
    }
    nvtest::RemoveTree(profile::ProfilePath());
    probes_ = 0;
    Run(true);
    EXPECT_EQ(probes_, 1);  // asked even with no Office item selected
}

}  // namespace

namespace {

// HKCU\<sub> as the kernel names it, for a link's target.
std::wstring NtUserKey(const std::wstring& sub) {
    nv::ScopedHandle token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put());
    BYTE buf[256];
    DWORD n = 0;
    GetTokenInformation(token.get(), TokenUser, buf, sizeof buf, &n);
    LPWSTR sid = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf)->User.Sid, &sid);
    std::wstring out = L"\\Registry\\User\\" + std::wstring(sid) + L"\\" + sub;
    LocalFree(sid);
    return out;
}

TEST_F(Items, TypedUrlsAsALinkKeyNeverReachItsTarget) {
    nvtest::TestKey target(L"typedurls-target");
    nvtest::SetString(HKEY_CURRENT_USER, target.sub(), L"keep", L"me");
    nvtest::DeleteTree(HKEY_CURRENT_USER, kTypedUrls);
    nv::ScopedKey link;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTypedUrls.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr),
              ERROR_SUCCESS);
    std::wstring to = NtUserKey(target.sub());
    ASSERT_EQ(RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.data()),
                             static_cast<DWORD>(to.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    link.reset();
    ASSERT_EQ(StringValue(HKEY_CURRENT_USER, kTypedUrls, L"keep"), L"me");  // the link works
    nvtest::WriteText(AppFile(L"keepurl.dat"), "http://kept.example/\r\n");
    Select(L"EXPLORER", L"location");
    PreviewThenClean();
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, target.sub(), L"url1"));
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, target.sub(), L"keep"), L"me");  // the delete did not go through it either
    nv::ScopedKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTypedUrls.c_str(), REG_OPTION_OPEN_LINK, DELETE, k.put()) == ERROR_SUCCESS)
        RegDeleteKeyW(k.get(), L"");
    k.reset();
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kTypedUrls.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, k.put()), ERROR_SUCCESS);
}

}  // namespace
