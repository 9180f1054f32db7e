// The shipped plug-in pack, each plug-in ticked alone on a generated
// application folder: what goes, and what must stay (passwords, the key
// that decrypts them, form data, bookmarks, preferences, extensions,
// unsaved edits, recordings, Quick Access pins). The preview of each run
// lists exactly what its clean removes.
#include <gtest/gtest.h>

#include <map>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "foundation/path_variables.h"
#include "foundation/text.h"
#include "planted_links.h"
#include "recorders.h"
#include "recording_view.h"
#include "run_fixture.h"
#include "sandbox.h"
#include "plugins/plugin_files.h"

using namespace nv;
using namespace nv::engine;
using nvtest::Exists;
using nvtest::RecordingView;

namespace {

// The pack as the build ships it, by file name (tests/CMakeLists.txt links
// it in: resource i is the i-th of the names in resource 999).
std::map<std::wstring, std::string> Pack() {
    auto bytes = [](int id) {
        HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
        if (!res) return std::string();
        return std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, res))),
                           SizeofResource(nullptr, res));
    };
    std::map<std::wstring, std::string> pack;
    int id = 0;
    for (const auto& name : Split(FromAnsi(bytes(999)), L'|'))
        if (!name.empty()) pack[name] = bytes(++id);
    return pack;
}

// A file of a generated application folder: where it lies (R\ = AppData,
// L\ = LocalAppData, D\ = Documents) and whether the plug-in removes it.
struct Spot {
    std::wstring path;
    bool goes;
};

// One profile of a Chromium browser, relative to the profile folder; the
// plug-in is named by the part after "<browser> - ".
const std::pair<const wchar_t*, const wchar_t*> kChromiumProfile[] = {
    {L"Cache\\Cache_Data\\data_0", L"Cache"},
    {L"Cache\\Cache_Data\\f_000a1b", L"Cache"},
    {L"Code Cache\\js\\index-dir\\the-real-index", L"Cache"},
    {L"Code Cache\\wasm\\0123abcd_0", L"Cache"},
    {L"GPUCache\\data_1", L"Cache"},
    {L"Network\\Cookies", L"Cookies"},
    {L"Network\\Cookies-journal", L"Cookies"},
    {L"Cookies", L"Cookies"},
    {L"History", L"History"},
    {L"History-journal", L"History"},
    {L"Visited Links", L"History"},
    {L"Top Sites", L"History"},
    {L"Shortcuts", L"History"},
    {L"Network Action Predictor", L"History"},
    {L"Sessions\\Session_13350000000000000", L"Sessions"},
    {L"Sessions\\Tabs_13350000000000000", L"Sessions"},
    {L"Current Session", L"Sessions"},
    {L"Last Tabs", L"Sessions"},
    {L"Session Storage\\000003.log", L"Site storage"},
    {L"IndexedDB\\https_example.com_0.indexeddb.leveldb\\000003.log", L"Site storage"},
    {L"IndexedDB\\https_example.com_0.indexeddb.blob\\1\\00\\7", L"Site storage"},
    {L"databases\\Databases.db", L"Site storage"},
    {L"File System\\000\\t\\00\\00000000", L"Site storage"},
    {L"Service Worker\\CacheStorage\\0a1b2c\\index", L"Site storage"},
    // Never deleted.
    {L"Login Data", nullptr},
    {L"Login Data-journal", nullptr},
    {L"Web Data", nullptr},
    {L"Bookmarks", nullptr},
    {L"Bookmarks.bak", nullptr},
    {L"Preferences", nullptr},
    {L"Secure Preferences", nullptr},
    {L"Favicons", nullptr},
    {L"History Archive.old", nullptr},
    {L"Extensions\\abcdefghijklmnop\\1.2.0_0\\manifest.json", nullptr},
    {L"Local Extension Settings\\abcdefghijklmnop\\000003.log", nullptr},
    {L"Local Storage\\leveldb\\000003.log", nullptr},
    {L"IndexedDB\\chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb\\000003.log", nullptr},
    {L"Network\\Network Persistent State", nullptr},
    {L"Service Worker\\Database\\000003.log", nullptr},
};

struct Browser {
    const wchar_t* name;
    std::vector<std::wstring> profiles;  // every folder the profile layout is made in
    std::vector<std::wstring> kept;      // more files that stay
};

const Browser kBrowsers[] = {
    {L"Google Chrome",
     {L"L\\Google\\Chrome\\User Data\\Default", L"L\\Google\\Chrome\\User Data\\Profile 2"},
     {L"L\\Google\\Chrome\\User Data\\Local State", L"L\\Google\\Chrome\\User Data\\System Profile\\History",
      L"L\\Google\\Chrome\\User Data\\Guest Profile\\Cache\\data_0"}},
    {L"Microsoft Edge",
     {L"L\\Microsoft\\Edge\\User Data\\Default", L"L\\Microsoft\\Edge\\User Data\\Profile 1"},
     {L"L\\Microsoft\\Edge\\User Data\\Local State"}},
    {L"Brave",
     {L"L\\BraveSoftware\\Brave-Browser\\User Data\\Default"},
     {L"L\\BraveSoftware\\Brave-Browser\\User Data\\Local State"}},
    {L"Vivaldi", {L"L\\Vivaldi\\User Data\\Default"}, {L"L\\Vivaldi\\User Data\\Local State"}},
    {L"Opera",
     {L"R\\Opera Software\\Opera Stable", L"R\\Opera Software\\Opera Stable\\Default",
      L"L\\Opera Software\\Opera Stable"},
     {L"R\\Opera Software\\Opera Stable\\Local State"}},
};

const wchar_t kFirefox[] = L"Mozilla\\Firefox\\Profiles\\";

struct App {
    const wchar_t* plugin;
    std::vector<Spot> spots;
};

// Firefox, the applications and Windows, each a plug-in with its files.
std::vector<App> OtherApps() {
    std::vector<App> apps;
    for (const wchar_t* part : {L"Firefox - Cache", L"Firefox - Cookies", L"Firefox - Form history",
                                L"Firefox - Session store", L"Firefox - Site storage"})
        apps.push_back({part, {}});
    for (const wchar_t* profile : {L"a1b2c3d4.default-release", L"e5f6g7h8.dev-edition-default"}) {
        const std::wstring r = std::wstring(L"R\\") + kFirefox + profile + L"\\",
                           l = std::wstring(L"L\\") + kFirefox + profile + L"\\";
        const std::pair<std::wstring, const wchar_t*> files[] = {
            {l + L"cache2\\entries\\0A1B2C3D4E5F", L"Cache"},
            {l + L"cache2\\index", L"Cache"},
            {l + L"startupCache\\startupCache.8.little", L"Cache"},
            {l + L"thumbnails\\0a1b2c.png", L"Cache"},
            {r + L"cookies.sqlite", L"Cookies"},
            {r + L"cookies.sqlite-wal", L"Cookies"},
            {r + L"formhistory.sqlite", L"Form history"},
            {r + L"sessionstore.jsonlz4", L"Session store"},
            {r + L"sessionstore-backups\\recovery.jsonlz4", L"Session store"},
            {r + L"storage\\default\\https+++example.com\\ls\\data.sqlite", L"Site storage"},
            {r + L"storage\\default\\https+++example.com^userContextId=1\\idb\\1.sqlite", L"Site storage"},
            {r + L"webappsstore.sqlite", L"Site storage"},
            {r + L"places.sqlite", nullptr},
            {r + L"places.sqlite-wal", nullptr},
            {r + L"key4.db", nullptr},
            {r + L"logins.json", nullptr},
            {r + L"cert9.db", nullptr},
            {r + L"prefs.js", nullptr},
            {r + L"favicons.sqlite", nullptr},
            {r + L"extensions\\uBlock0@raymondhill.net.xpi", nullptr},
            {r + L"storage\\default\\moz-extension+++0a1b-2c3d\\idb\\3.sqlite", nullptr},
            {r + L"storage\\permanent\\chrome\\idb\\2.sqlite", nullptr},
            {r + L"bookmarkbackups\\bookmarks-2024-01-01.jsonlz4", nullptr},
        };
        for (App& a : apps)
            for (const auto& [path, by] : files)
                a.spots.push_back({path, by && std::wstring(a.plugin) == std::wstring(L"Firefox - ") + by});
    }
    const std::wstring teams = L"L\\Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\";
    const std::wstring spotifyStore = L"L\\Packages\\SpotifyAB.SpotifyMusic_zpdnekdrzrea0\\LocalCache\\Spotify\\";
    const std::wstring recent = L"R\\Microsoft\\Windows\\Recent\\";
    const bool x = true;
    std::vector<App> more = {
        {L"Discord",
         {{L"R\\discord\\Cache\\Cache_Data\\data_0", x}, {L"R\\discord\\Code Cache\\js\\index", x},
          {L"R\\discord\\GPUCache\\data_1", x}, {L"R\\discord\\Local Storage\\leveldb\\000003.log", false},
          {L"R\\discord\\settings.json", false}, {L"R\\discord\\0.0.300\\modules\\discord_voice\\index.js", false}}},
        {L"Microsoft Teams (classic)",
         {{L"R\\Microsoft\\Teams\\Cache\\f_000001", x}, {L"R\\Microsoft\\Teams\\Code Cache\\js\\index", x},
          {L"R\\Microsoft\\Teams\\GPUCache\\data_0", x}, {L"R\\Microsoft\\Teams\\tmp\\x.tmp", x},
          {L"R\\Microsoft\\Teams\\logs.txt", x}, {L"R\\Microsoft\\Teams\\Local Storage\\leveldb\\000003.log", false},
          {L"R\\Microsoft\\Teams\\IndexedDB\\https_teams.microsoft.com_0.indexeddb.leveldb\\000003.log", false},
          {L"R\\Microsoft\\Teams\\desktop-config.json", false}}},
        {L"Microsoft Teams",
         {{teams + L"EBWebView\\Default\\Cache\\Cache_Data\\data_0", x},
          {teams + L"EBWebView\\Default\\Code Cache\\js\\index", x}, {teams + L"EBWebView\\Default\\GPUCache\\data_0", x},
          {teams + L"Logs\\MSTeams_2024-01-01.log", x},
          {teams + L"EBWebView\\Default\\Local Storage\\leveldb\\000003.log", false},
          {teams + L"app_settings.json", false}}},
        {L"Slack",
         {{L"R\\Slack\\Cache\\Cache_Data\\data_0", x}, {L"R\\Slack\\Code Cache\\js\\index", x},
          {L"R\\Slack\\GPUCache\\data_0", x}, {L"R\\Slack\\Service Worker\\CacheStorage\\0a1b\\index", x},
          {L"R\\Slack\\logs\\webapp-console.log", x}, {L"R\\Slack\\Local Storage\\leveldb\\000003.log", false},
          {L"R\\Slack\\storage\\root-state.json", false}, {L"R\\Slack\\Cookies", false}}},
        {L"Zoom",
         {{L"R\\Zoom\\logs\\zoom_stdout_stderr.log", x}, {L"R\\Zoom\\logs\\2024\\meeting.log", x},
          {L"R\\Zoom\\data\\Zoom.us.ini", false}, {L"R\\Zoom\\data\\zoomus.enc.db", false},
          {L"D\\Zoom\\2024-01-01 Team meeting\\video1234.mp4", false}}},
        {L"Spotify",
         {{L"L\\Spotify\\Data\\ab\\abcdef0123.file", x}, {L"L\\Spotify\\Browser\\Cache\\Cache_Data\\data_0", x},
          {spotifyStore + L"Data\\cd\\cdef4567.file", x}, {L"L\\Spotify\\Storage\\ef\\offline0123.file", false},
          {spotifyStore + L"Storage\\ef\\offline4567.file", false}, {L"R\\Spotify\\prefs", false},
          {L"L\\Spotify\\Users\\someone-user\\local-files.bnk", false}}},
        {L"Visual Studio Code",
         {{L"R\\Code\\Cache\\Cache_Data\\data_0", x}, {L"R\\Code\\CachedData\\0a1b2c\\chrome\\js\\index", x},
          {L"R\\Code\\Code Cache\\js\\index", x}, {L"R\\Code\\GPUCache\\data_0", x},
          {L"R\\Code\\CachedExtensionVSIXs\\ms-python.python-2024.0.0", x}, {L"R\\Code\\logs\\20240101T000000\\main.log", x},
          {L"R\\Code\\Service Worker\\CacheStorage\\0a1b\\index", x},
          {L"R\\Code\\Backups\\1700000000000\\file\\-1a2b3c", false}, {L"R\\Code\\User\\settings.json", false},
          {L"R\\Code\\User\\workspaceStorage\\0a1b2c\\state.vscdb", false}, {L"R\\Code\\storage.json", false}}},
        {L"Windows - Thumbnail cache",
         {{L"L\\Microsoft\\Windows\\Explorer\\thumbcache_256.db", x},
          {L"L\\Microsoft\\Windows\\Explorer\\thumbcache_idx.db", x},
          {L"L\\Microsoft\\Windows\\Explorer\\iconcache_16.db", false},
          {L"L\\Microsoft\\Windows\\Explorer\\ExplorerStartupLog.etl", false}}},
        {L"Windows - Error reports",
         {{L"L\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_app.exe_0a1b\\Report.wer", x},
          {L"L\\Microsoft\\Windows\\WER\\ReportQueue\\AppHang_app.exe_2c3d\\Report.wer", x},
          {L"L\\CrashDumps\\app.exe.1234.dmp", x}, {L"L\\CrashDumps\\notes.txt", false},
          {L"L\\Microsoft\\Windows\\WER\\Temp\\x.tmp", false}}},
        {L"Windows - DirectX shader cache",
         {{L"L\\D3DSCache\\0a1b2c3d\\app.idx", x}, {L"L\\D3DSCache\\0a1b2c3d\\app.val", x}}},
        {L"Windows - Recent items and jump lists",
         {{recent + L"report.docx.lnk", x},
          {recent + L"AutomaticDestinations\\5f7b5f1e01b83767.automaticDestinations-ms", x},
          {recent + L"CustomDestinations\\28c8b86deab549a1.customDestinations-ms", x},
          {recent + L"AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms", false},
          {recent + L"desktop.ini", false}}},
    };
    apps.insert(apps.end(), more.begin(), more.end());
    return apps;
}

class Pack_ : public nvtest::RunTest {
protected:
    void TearDown() override {
        nvtest::RemoveTree(documents_ + L"\\Zoom");
        RunTest::TearDown();
    }

    std::wstring Where(const std::wstring& spot) {
        const wchar_t root = spot[0];
        const std::wstring rest = spot.substr(2);
        return (root == L'R' ? env_.appData : root == L'L' ? env_.localAppData : documents_) + L"\\" + rest;
    }
    void Make(const std::vector<Spot>& spots) {
        for (const Spot& s : spots) nvtest::WriteFile(Where(s.path), 100 + s.path.size());
    }
    // Installs one plug-in of the pack as it ships, ticked.
    void Install(const std::wstring& name) {
        std::string text = pack_.at(name + L".ppe");
        size_t on = text.find("on=0");
        ASSERT_NE(on, std::string::npos) << nvtest::Narrow(name);
        text[on + 3] = '1';
        nvtest::WriteText(app_ / (L"plus-in\\" + name + L".ppe"), text);
    }
    // Ticks the plug-in alone, previews and cleans; each spot goes exactly
    // when the plug-in removes it.
    void CleanAlone(const std::wstring& plugin, const std::vector<Spot>& spots) {
        SCOPED_TRACE(nvtest::Narrow(plugin));
        nvtest::RemoveTree(app_ / L"plus-in");
        nvtest::RemoveTree(data_.path());
        Make(spots);
        Install(plugin);
        nvtest::RecordingSink preview, clean;
        Run(true, &preview);
        const Counters previewed = counters_;
        for (const Spot& s : spots) ASSERT_TRUE(Exists(Where(s.path))) << nvtest::Narrow(s.path);
        Run(false, &clean);
        ASSERT_EQ(view_.rows.size(), 2u);
        EXPECT_EQ(view_.rows[0].item, plugin);
        EXPECT_EQ(view_.rows[0].status, L"Done");
        double gone = 0;
        for (const Spot& s : spots) {
            EXPECT_EQ(Exists(Where(s.path)), !s.goes) << nvtest::Narrow(s.path);
            if (s.goes) gone += 100 + s.path.size();
        }
        EXPECT_EQ(counters_.bytes, 50000 + gone);
        EXPECT_EQ(previewed.bytes, counters_.bytes);
        EXPECT_EQ(previewed.regCount, counters_.regCount);
        EXPECT_EQ(preview.lines, clean.lines);
        EXPECT_EQ(clean.Count(RemovalKind::Refused), 0u);
    }

    const std::wstring documents_ = pathvars::Expand(L"%Documents%", {}).paths.at(0).path;
    const std::map<std::wstring, std::string> pack_ = Pack();
};

// Every shipped plug-in reads cleanly, is off, detects its program and
// names the processes to close (Windows' own items have none to close).
TEST_F(Pack_, EveryPlugInIsOffDetectsItsProgramAndNamesItsProcesses) {
    ASSERT_EQ(pack_.size(), 41u);
    for (const auto& [file, text] : pack_) {
        nvtest::WriteText(app_ / (L"plus-in\\" + file), text);
    }
    auto list = plugins::Installed();
    ASSERT_EQ(list.size(), pack_.size());
    for (const plugins::Plugin& p : list) {
        SCOPED_TRACE(nvtest::Narrow(p.name));
        EXPECT_EQ(p.extras.error, L"");
        EXPECT_FALSE(p.enabled);
        EXPECT_EQ(app_ / (L"plus-in\\" + p.name + L".ppe"), p.file);
        EXPECT_TRUE(p.extras.HasDetect());
        EXPECT_FALSE(p.extras.Imported());
        EXPECT_NE(p.extras.filekeys.empty(), true);
        const bool windows = p.name.starts_with(L"Windows - ");
        EXPECT_EQ(p.extras.close.empty(), windows);
        if (windows) {
            EXPECT_EQ(p.extras.detect.at(0).min, L"10.0");
        } else {
            EXPECT_FALSE(plugins::Detected(p.extras, {env_.appData, env_.localAppData}));
        }
    }
}

TEST_F(Pack_, ChromiumBrowsersEachPartAlone) {
    for (const Browser& b : kBrowsers) {
        for (const wchar_t* part : {L"Cache", L"Cookies", L"History", L"Sessions", L"Site storage"}) {
            std::vector<Spot> spots;
            for (const auto& profile : b.profiles)
                for (const auto& [rel, by] : kChromiumProfile)
                    spots.push_back({profile + L"\\" + rel, by && wcscmp(by, part) == 0});
            for (const auto& k : b.kept) spots.push_back({k, false});
            CleanAlone(std::wstring(b.name) + L" - " + part, spots);
        }
    }
}

bool IsWindowsItem(const App& a) { return std::wstring_view(a.plugin).starts_with(L"Windows - "); }

TEST_F(Pack_, FirefoxAndApplicationsEachAlone) {
    for (const App& a : OtherApps())
        if (!IsWindowsItem(a)) CleanAlone(a.plugin, a.spots);
}

// The Windows 10 and 11 items as they ship: run by tests/engine/win10_pack.sh
// in a prefix that reports Windows 10 (Wine itself says 6.1).
TEST_F(Pack_, WindowsItemsEachAloneOnWindows10) {
    if (!plugins::OsInRange(L"10.0", L"")) GTEST_SKIP() << "the system is older than Windows 10";
    for (const App& a : OtherApps())
        if (IsWindowsItem(a)) CleanAlone(a.plugin, a.spots);
}

// Before Windows 10 the same items are not on this machine: ticked, they
// change nothing.
TEST_F(Pack_, WindowsItemsBeforeWindows10ChangeNothing) {
    if (plugins::OsInRange(L"10.0", L"")) GTEST_SKIP() << "the system is Windows 10 or later";
    for (const App& a : OtherApps()) {
        if (!IsWindowsItem(a)) continue;
        SCOPED_TRACE(nvtest::Narrow(a.plugin));
        nvtest::RemoveTree(app_ / L"plus-in");
        nvtest::RemoveTree(data_.path());
        Make(a.spots);
        Install(a.plugin);
        Run(false);
        EXPECT_EQ(view_.rows.size(), 1u);  // only the final row
        for (const Spot& s : a.spots) EXPECT_TRUE(Exists(Where(s.path))) << nvtest::Narrow(s.path);
    }
}

// The pack in the application folder changes nothing while no box is ticked.
TEST_F(Pack_, UntickedPackChangesNothing) {
    std::vector<Spot> all;
    for (const App& a : OtherApps())
        for (const Spot& s : a.spots) all.push_back({s.path, false});
    for (const Browser& b : kBrowsers)
        for (const auto& profile : b.profiles)
            for (const auto& [rel, by] : kChromiumProfile) all.push_back({profile + L"\\" + rel, false});
    Make(all);
    for (const auto& [file, text] : pack_) nvtest::WriteText(app_ / (L"plus-in\\" + file), text);
    nvtest::RecordingSink sink;
    Run(false, &sink);
    EXPECT_EQ(view_.rows.size(), 1u);  // only the final row
    EXPECT_EQ(counters_.bytes, 0);
    EXPECT_TRUE(sink.lines.empty());
    for (const Spot& s : all) EXPECT_TRUE(Exists(Where(s.path))) << nvtest::Narrow(s.path);
}

// Links planted from the Linux side into a Chrome profile (tools/lib/plant-links.sh,
// case "pack"): a folder link matched by "Profile *", a link as a cache
// folder, a file link among cache files. Their targets stay.
TEST_F(Pack_, ChromeThroughPlantedLinks) {
    const std::wstring c = L"C:\\nvlinks\\pack";
    NEED_PLANTED(Exists(c + L"\\Local\\Google\\Chrome\\User Data\\Default\\History"));
    env_.localAppData = c + L"\\Local";
    for (const wchar_t* part : {L"Cache", L"History", L"Sessions"}) Install(std::wstring(L"Google Chrome - ") + part);
    nvtest::RecordingSink sink;
    Run(false, &sink);
    for (const wchar_t* kept : {L"\\target\\keep.txt", L"\\target\\dir\\inner.txt", L"\\target\\dir\\History",
                                L"\\target\\dir\\cache\\c.txt"})
        EXPECT_TRUE(Exists(c + kept)) << nvtest::Narrow(kept);
    const std::wstring ud = c + L"\\Local\\Google\\Chrome\\User Data\\";
    EXPECT_FALSE(Exists(ud + L"Default\\History"));
    EXPECT_FALSE(Exists(ud + L"Default\\Cache\\Cache_Data\\data_0"));
    EXPECT_GE(sink.Count(RemovalKind::Refused), 3u);
}

}  // namespace
