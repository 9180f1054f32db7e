// Times one cleaning run of every browser item on generated browser stores,
// and the same erase primitives called bare on the same folders, for
// tools/bench --catalogue.
//
//   catalogue_bench.exe MODE ROOT
//
// MODE: run, bare (clean), run-preview, bare-preview (nothing removed),
// noop (the process's baseline). ROOT holds the stores: Roaming and Local
// (the application-data folders), Cache, Cookies, History and Favorites
// (the browser's shell folders, pointed there for the run). Prints
// "seconds=S cpu=C bytes=B keys=K peak_ws=P" (C: this process's CPU time). Destructive: runs only inside a
// sandboxed prefix, on folders below C:\nvbench.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "benchlib.h"
#include "engine/cleaning_run.h"
#include "foundation/delete_at_restart.h"
#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/launcher.h"
#include "foundation/registry_access.h"
#include "keeplists/url_history.h"
#include "foundation/ini_access.h"
#include "foundation/selection_profile.h"

namespace {

using namespace nv;

using nvbench::CpuSeconds;
using nvbench::Now;

// A window's share of the work: rows kept, a pump at every item.
class BenchView : public engine::WindowlessRunView {
public:
    void BeginRun() override { rows.clear(); }
    void showstatus(const std::wstring& label) override {
        Pump();
        rows.push_back(L"Cleaning " + label + L" ......");
    }
    void AppendRow(const std::wstring& item) override { rows.push_back(item); }
    void SetRowStatus(const std::wstring& text) override { rows.back() = text; }
    void Pump() override { nvbench::PumpMessages(); }
    std::vector<std::wstring> rows;
};

// Nothing is started: the browser's own clearing commands are not ours to time.
class NoLauncher : public launcher::Launcher {
public:
    DWORD Start(const std::wstring&, int) override { return 0; }
    bool StartAndWait(const std::wstring&, int, const std::function<void()>&) override { return false; }
    void ShellOpen(const std::wstring&) override {}
};

constexpr const wchar_t* kBrowserSections[] = {L"EXPLORER", L"FIREFOX", L"Opera", L"Netscape", L"AOL",
                                               L"MSN",      L"Mozilla", L"Maxthon", L"Chrome", L"Safari"};

void PointShellFolders(const std::wstring& root) {
    for (const wchar_t* key : {L"Shell Folders", L"User Shell Folders"})
        for (const wchar_t* name : {L"Cache", L"Cookies", L"History", L"Favorites"})
            regfun::SetRegValue(std::wstring(L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") +
                                    key,
                                name, root + L"\\" + name);
}

struct Totals {
    double bytes = 0, keys = 0;
};

// The profile a user saved before: every browser item selected. Written
// before the clock starts, as the bare side has no selection to write.
void SelectBrowserItems(const std::wstring& root) {
    SetAppFolderForTests(root + L"\\app");
    CreateDirectoryW((root + L"\\app").c_str(), nullptr);
    DeleteFileW(profile::ProfilePath().c_str());
    for (const auto& k : profile::ItemKeys())
        for (const wchar_t* s : kBrowserSections)
            if (_wcsicmp(k.section, s) == 0) Inifun::WriteIniValue(profile::ProfilePath(), k.section, k.key, L"1");
}

Totals Run(const std::wstring& root, bool preview) {
    engine::Environment env{root + L"\\Roaming", root + L"\\Local", root + L"\\Windows", 0};
    env.officeProbe = [] { return std::wstring(L"NoOffice"); };
    BenchView view;
    engine::Counters counters;
    int unattended = 1;
    engine::RunOptions options;
    options.preview = preview;
    engine::CleanNow(view, env, counters, unattended, options);
    return {counters.bytes, counters.regCount};
}

// The same primitives the browser items call, in the same order, with
// nothing around them.
Totals Bare(const std::wstring& root, bool preview) {
    EraseContext ctx(preview);
    ctx.set_pump(nvbench::PumpMessages);
    Totals t;
    auto add = [&](double b) { t.bytes += b; };
    auto addOpt = [&](std::optional<double> b) { t.bytes += b.value_or(0); };
    const std::wstring roaming = root + L"\\Roaming", local = root + L"\\Local";
    const std::wstring cache = root + L"\\Cache", cookies = root + L"\\Cookies", history = root + L"\\History";
    const std::wstring typed = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
    auto typedUrls = [&] {
        t.keys += allerase::DeleteRegKey(ctx, HKEY_CURRENT_USER, typed);
        if (!preview) regfun::CreateRegKey(L"HKEY_CURRENT_USER\\" + typed);
    };
    auto urlHistory = [&] {
        t.keys += 15;
        add(500000);
        if (preview) return;
        ComScope com;
        if (auto h = keeplists::CURLHistory::Create()) h->Clear();
    };
    auto ieCookies = [&] { add(allerase::DeleteFilesInFolderExcept(ctx, cookies, [](const wchar_t*) { return false; })); };
    auto inTree = [&](const std::wstring& folder, std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* n : names) add(allerase::DeleteFileInTree(ctx, folder, n));
    };
    auto inFolder = [&](const std::wstring& folder, std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* n : names) addOpt(allerase::DeleteFileInFolder(ctx, folder, n));
    };

    // Internet Explorer
    typedUrls();
    urlHistory();
    addOpt(allerase::DeleteAllFilesInTree(ctx, cache));
    ieCookies();
    add(allerase::EmptyFolder(ctx, root + L"\\Favorites"));
    t.keys += allerase::DeleteRegKey(ctx, HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW");
    t.keys += allerase::DeleteRegKey(ctx, HKEY_USERS, L".DEFAULT\\Software\\Microsoft\\Internet Explorer\\IntelliForms");
    t.keys += 3;
    for (const std::wstring& f : {cache + L"\\Content.IE5\\index.dat", history + L"\\History.IE5\\index.dat",
                                  cookies + L"\\index.dat"})
        Normal::DeleteAtReboot(ctx, f);
    add(3500000);
    // Firefox
    const std::wstring ff = roaming + L"\\Mozilla\\Firefox\\Profiles";
    inTree(ff, {L"places.sqlite", L"cookies.sqlite"});
    add(allerase::DeleteFolderInTree(ctx, local + L"\\Mozilla\\Firefox\\Profiles", L"cache"));
    inTree(ff, {L"places.sqlite", L"downloads.sqlite", L"places.sqlite", L"key3.db"});
    // Opera
    const std::wstring opera = roaming + L"\\Opera\\Opera", operaLocal = local + L"\\Opera\\Opera";
    inTree(opera, {L"typed_history.xml", L"cookies4.dat"});
    add(allerase::DeleteFolderInTree(ctx, operaLocal, L"cache"));
    inTree(opera, {L"global_history.dat", L"download.dat"});
    add(allerase::DeleteFolderInTree(ctx, opera, L"sessions"));
    add(allerase::DeleteFolderInTree(ctx, operaLocal, L"thumbnails"));
    inTree(opera, {L"bookmarks.adr", L"wand.dat"});
    // Netscape
    const std::wstring ns = roaming + L"\\Netscape\\NSB\\Profiles";
    inTree(ns, {L"history.dat", L"cookies.txt"});
    add(allerase::DeleteFolderInTree(ctx, ns, L"cache"));
    inTree(ns, {L"localstore.rdf", L"history.dat", L"downloads.rdf", L"bookmarks.html", L"signons2.txt", L"signons.txt"});
    // AOL Explorer repeats the first four IE items; MSN Explorer
    typedUrls();
    t.keys += 10;
    ieCookies();
    addOpt(allerase::DeleteAllFilesInTree(ctx, cache));
    urlHistory();
    t.keys += allerase::DeleteRegKey(ctx, HKEY_CURRENT_USER, L"Software\\Microsoft\\MSN6\\Users");
    add(500000);
    // Mozilla (Maxthon has no install location here: nothing to do)
    const std::wstring moz = roaming + L"\\Mozilla\\Profiles";
    inTree(moz, {L"history.dat", L"cookies.txt", L"localstore.rdf"});
    add(allerase::DeleteFolderInTree(ctx, moz, L"cache"));
    inTree(moz, {L"history.dat"});
    // Chrome
    const std::wstring chrome = local + L"\\Google\\Chrome\\User Data\\Default";
    inTree(chrome, {L"History", L"Cookies"});
    addOpt(allerase::DeleteAllFilesInTree(ctx, chrome + L"\\Cache"));
    inTree(chrome, {L"History", L"Web Data", L"Last Session", L"Current Session", L"Top Sites"});
    // Safari
    const std::wstring safari = roaming + L"\\Apple Computer\\Safari", safariLocal = local + L"\\Apple Computer\\Safari";
    addOpt(allerase::DeleteAllFiles(ctx, safariLocal + L"\\History"));
    inFolder(safari, {L"History.plist", L"LastSession.plist", L"TopSites.plist"});
    inFolder(safariLocal, {L"Cache.db", L"WebpageIcons.db"});
    inFolder(safari + L"\\Cookies", {L"Cookies.plist"});
    inFolder(safari, {L"Downloads.plist", L"Form Values.plist"});
    inFolder(safari + L"\\Preferences", {L"keychain.plist"});
    addOpt(allerase::DeleteAllFiles(ctx, safariLocal + L"\\Webpage Previews"));
    inFolder(roaming + L"\\Apple Computer\\Preferences", {L"com.apple.Safari.plist"});
    return t;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!nvbench::Start(argc, 2, "catalogue_bench MODE ROOT")) return 2;
    const std::wstring mode = argv[1];
    const std::wstring root = nvbench::BenchFolder(argv[2], "ROOT");
    if (root.empty()) return 2;
    NoLauncher none;
    launcher::Install(&none);
    PointShellFolders(root);
    if (mode == L"run" || mode == L"run-preview") SelectBrowserItems(root);
    Totals t;
    const double start = Now(), cpuStart = CpuSeconds();
    if (mode == L"run") t = Run(root, false);
    else if (mode == L"run-preview") t = Run(root, true);
    else if (mode == L"bare") t = Bare(root, false);
    else if (mode == L"bare-preview") t = Bare(root, true);
    else if (mode != L"noop") {
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }
    const double seconds = Now() - start, cpu = CpuSeconds() - cpuStart;
    std::printf("seconds=%.3f cpu=%.3f bytes=%.0f keys=%.0f peak_ws=%llu\n", seconds, cpu, t.bytes, t.keys,
                nvbench::PeakWorkingSet());
    return 0;
}
