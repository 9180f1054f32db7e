// Times the import of a generated Winapp2 file and the opening of the
// Applications list, for tools/bench --plugins.
//
//   plugin_bench.exe import ENTRIES ROUNDS
//   plugin_bench.exe list PLUGINS ROUNDS
//
// "import" writes a Winapp2 file of ENTRIES entries (about 450 bytes each,
// one in ten detected here) and per round imports it into an empty plug-in
// folder and then again over its own plug-ins; beside it, the platform's
// profile functions read the file's sections one call per entry (timed on
// a sample and scaled), which is what a reader built on them would cost.
//   import seconds=S imported=N total=M
//   reimport seconds=S imported=N
//   profile seconds=S sampled=K
// "list" imports a file of PLUGINS entries that all apply here, then per
// round opens the Cleaning Settings dialog (hidden) and closes it, reads
// the plug-in list with detection alone, and reads the same files with the
// profile functions (the four values the list shows and the four new
// sections):
//   dialog seconds=S rows=N
//   empty seconds=S            (the dialog without plug-ins)
//   read seconds=S plugins=N
//   listprofile seconds=S plugins=N
// "mix" imports (into an empty plug-in folder) the file FILE when given,
// else a file in the shape of the
// community file of that size: its share of folder variables (the
// protected bases %WinDir%, %UserProfile%, %ProgramFiles% and
// %SystemDrive% among them), of wildcard segments and of detection by key:
//   mix seconds=S imported=N total=M
// "lines" runs a preview of one plug-in of N [filekey] lines whose folders
// are absent, for N = 5000, 10000 and 20000 in turn:
//   lines5000 seconds=S    (and lines10000, lines20000)
// Runs only inside a sandboxed prefix; everything lives below C:\nvbench.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "benchlib.h"
#include "engine/catalogue.h"
#include "engine/custom_items.h"
#include "engine/run_view.h"
#include "foundation/app_path.h"
#include "foundation/list_file.h"
#include "foundation/system.h"
#include "settings/cleaning_settings_dialog.h"
#include "plugins/plugin_files.h"
#include "plugins/winapp2_import.h"
#include "ui/resource.h"

namespace {

const std::wstring kRoot = L"C:\\nvbench\\plugins";

using nvbench::Now;

void MakeDirs(const std::wstring& path) {
    for (size_t p = path.find(L'\\', 3);; p = path.find(L'\\', p + 1)) {
        CreateDirectoryW(path.substr(0, p).c_str(), nullptr);
        if (p == std::wstring::npos) break;
    }
}

void EmptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// A Winapp2 file in the shape of the community one: categories, detection
// by file and key, several file keys with wildcards and flags, some
// registry keys, exclusions and warnings. Entries with i % detectEvery == 0
// are detected here (their folder exists).
std::string Generate(int entries, int detectEvery) {
    std::string t = "; Version: 240101\r\n; # of entries: " + std::to_string(entries) +
                    "\r\n;\r\n; Generated for the benchmark. Licensed under CC-BY-SA-4.0.\r\n\r\n";
    char buf[512];
    for (int i = 0; i < entries; ++i) {
        const bool here = i % detectEvery == 0;
        snprintf(buf, sizeof buf, "[Bench Application %04d *]\r\nLangSecRef=%d\r\n", i, 3021 + i % 5);
        t += buf;
        if (i % 7 == 0) {
            snprintf(buf, sizeof buf, "Detect=HKCU\\Software\\Bench Vendor %04d\\Application\r\n", i);
            t += buf;
        }
        snprintf(buf, sizeof buf, "DetectFile=%s\\Bench Vendor %04d\\Application\r\n",
                 here ? "%AppData%" : "%ProgramFiles%", i);
        t += buf;
        if (i % 20 == 0) t += "Warning=This also removes the application's saved sessions.\r\n";
        snprintf(buf, sizeof buf,
                 "FileKey1=%%AppData%%\\Bench Vendor %04d\\Application\\*\\Cache*|*.*|RECURSE\r\n"
                 "FileKey2=%%LocalAppData%%\\Bench Vendor %04d\\Application\\Logs|*.log;*.txt;*.dmp\r\n"
                 "FileKey3=%%AppData%%\\Bench Vendor %04d\\Application\\Temp|*.*|REMOVESELF\r\n",
                 i, i, i);
        t += buf;
        if (i % 3 == 0) {
            snprintf(buf, sizeof buf, "FileKey4=%%LocalAppData%%\\Bench Vendor %04d\\Application\\GPUCache|*.*\r\n", i);
            t += buf;
        }
        if (i % 5 == 0) {
            snprintf(buf, sizeof buf, "RegKey1=HKCU\\Software\\Bench Vendor %04d\\Application\\Recent\r\n", i);
            t += buf;
        }
        if (i % 9 == 0) {
            snprintf(buf, sizeof buf, "ExcludeKey1=FILE|%%AppData%%\\Bench Vendor %04d\\Application\\Logs\\|keep.log\r\n", i);
            t += buf;
        }
        t += "\r\n";
    }
    return t;
}

struct Setup {
    std::wstring file, app, plugins;
    nv::pathvars::Folders folders;
};

// The file, an empty plug-in folder and the folders of the detected
// programs below `folders`.
Setup Prepare(int entries, int detectEvery, const nv::pathvars::Folders& folders) {
    Setup s{kRoot + L"\\winapp2.ini", kRoot + L"\\app", kRoot + L"\\app\\plus-in", folders};
    MakeDirs(s.plugins);
    EmptyFolder(s.plugins);
    for (int i = 0; i < entries; i += detectEvery) {
        wchar_t d[64];
        swprintf(d, 64, L"\\Bench Vendor %04d\\Application", i);
        MakeDirs(*s.folders.appData + d);
    }
    nv::listfile::ReplaceBytes(s.file, Generate(entries, detectEvery));
    nv::SetAppFolderForTests(s.app);
    return s;
}

void Import(int entries, int rounds) {
    Setup s = Prepare(entries, 10, {kRoot + L"\\Roaming", kRoot + L"\\Local"});
    for (int r = 0; r < rounds; ++r) {
        EmptyFolder(s.plugins);
        double t0 = Now();
        auto first = nv::winapp2::Import(s.file, s.plugins, s.folders);
        double t1 = Now();
        auto again = nv::winapp2::Import(s.file, s.plugins, s.folders);
        double t2 = Now();
        std::printf("import seconds=%.3f imported=%d total=%d\n", t1 - t0, first.imported, first.total);
        std::printf("reimport seconds=%.3f imported=%d\n", t2 - t1, again.imported);
        // The profile functions, one section read per entry: a sample, scaled.
        const int sample = entries < 200 ? entries : 200;
        std::vector<wchar_t> buf(65536);
        double t3 = Now();
        for (int i = 0; i < sample; ++i) {
            wchar_t section[64];
            swprintf(section, 64, L"Bench Application %04d *", i * (entries / sample));
            GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), s.file.c_str());
        }
        std::printf("profile seconds=%.3f sampled=%d\n", (Now() - t3) * entries / sample, sample);
        std::fflush(stdout);
    }
}

void List(int count, int rounds) {
    // The programs are "installed" in the prefix's own AppData, where the
    // dialog looks.
    Setup s = Prepare(count, 1, {nv::ShellFolder(L"AppData"), nv::ShellFolder(L"Local AppData")});
    auto made = nv::winapp2::Import(s.file, s.plugins, s.folders);
    std::fprintf(stderr, "%d plug-ins in the list\n", made.imported);
    const std::wstring empty = kRoot + L"\\empty-app";
    MakeDirs(empty);
    auto open = [](const char* kind) {
        double t0 = Now();
        HWND dlg = nv::frmsettings::Create(nullptr);
        const int rows = ListView_GetItemCount(nv::frmsettings::Control(nv::ids::frmsettings::ListView1));
        DestroyWindow(dlg);
        std::printf("%s seconds=%.3f rows=%d\n", kind, Now() - t0, rows);
    };
    for (int r = 0; r < rounds; ++r) {
        nv::SetAppFolderForTests(s.app);
        open("dialog");
        nv::SetAppFolderForTests(empty);
        open("empty");
        nv::SetAppFolderForTests(s.app);

        double t0 = Now();
        auto list = nv::plugins::Installed();
        nv::plugins::DetectCache cache;
        int applies = 0;
        for (const auto& p : list) applies += nv::plugins::Detected(p.extras, s.folders, &cache);
        std::printf("read seconds=%.3f plugins=%zu applies=%d\n", Now() - t0, list.size(), applies);

        double t1 = Now();
        std::vector<wchar_t> buf(65536);
        for (const auto& p : list) {
            for (auto [section, key] : {std::pair{L"name", L"appname"}, {L"version", L"appver"}, {L"dec", L"decs"},
                                        {L"swich", L"on"}})
                GetPrivateProfileStringW(section, key, L"", buf.data(), 128, p.file.c_str());
            for (const wchar_t* section : {L"detect", L"warning", L"close", L"source"})
                GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), p.file.c_str());
        }
        std::printf("listprofile seconds=%.3f plugins=%zu\n", Now() - t1, list.size());
        std::fflush(stdout);
    }
}

// The community file's mix, per FileKey: where it starts (the protected
// bases about a third of the time), a wildcard segment in two of five, a
// flag in one of three; detection mostly by key, a fifth by file.
std::string GenerateMix(int entries) {
    static const char* const kBases[] = {
        "%LocalAppData%", "%LocalAppData%", "%LocalAppData%", "%AppData%",       "%AppData%",       "%AppData%",
        "%ProgramFiles%", "%ProgramFiles%", "%WinDir%",       "%WinDir%",        "%UserProfile%",   "%UserProfile%",
        "%SystemDrive%",  "%CommonAppData%", "%Documents%",   "%LocalLowAppData%", "%CommonProgramFiles%", "%Public%",
    };
    static const char* const kTails[] = {"|*.*|RECURSE", "|*.log;*.tmp", "|*|REMOVESELF", "|*.dmp", "|index.;*.bak"};
    std::string t = "; Version: 260730\r\n; # of entries: " + std::to_string(entries) +
                    "\r\n;\r\n; Generated for the benchmark. Licensed under CC-BY-SA-4.0.\r\n\r\n";
    char buf[600];
    unsigned seed = 1234;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < entries; ++i) {
        snprintf(buf, sizeof buf, "[Mix Application %04d *]\r\nLangSecRef=%d\r\n", i, 3021 + i % 10);
        t += buf;
        const unsigned detects = 1 + next(3);
        for (unsigned d = 1; d <= detects; ++d) {
            snprintf(buf, sizeof buf, "Detect%u=HK%s\\Software\\Mix Vendor %04d\\App %u\r\n", d, next(3) ? "CU" : "LM", i, d);
            t += buf;
        }
        if (next(5) == 0) {
            snprintf(buf, sizeof buf, "DetectFile=%s\\Mix Vendor %04d\r\n", kBases[next(18)], i);
            t += buf;
        }
        if (i % 13 == 0) t += "DetectOS=6.1|\r\n";
        const unsigned keys = 2 + next(12);
        for (unsigned k = 1; k <= keys; ++k) {
            const char* base = kBases[next(18)];
            const bool wild = next(5) < 2;
            snprintf(buf, sizeof buf, "FileKey%u=%s\\Mix Vendor %04d\\%sPart %u%s\r\n", k, base, i, wild ? "*\\" : "", k,
                     kTails[next(5)]);
            t += buf;
        }
        if (next(3) == 0) {
            snprintf(buf, sizeof buf, "RegKey1=HKCU\\Software\\Mix Vendor %04d\\Recent\r\nRegKey2=HKCU\\Software\\Mix Vendor %04d|LastPath\r\n", i, i);
            t += buf;
        }
        if (next(8) == 0) {
            snprintf(buf, sizeof buf, "ExcludeKey1=PATH|%s\\Mix Vendor %04d\\Keep\\\r\n", kBases[next(18)], i);
            t += buf;
        }
        t += "\r\n";
    }
    return t;
}

void Mix(int entries, int rounds, const wchar_t* file) {
    // Nothing is installed: an empty prefix, the case the goal is set for.
    Setup s = Prepare(0, 1, {nv::ShellFolder(L"AppData"), nv::ShellFolder(L"Local AppData")});
    if (file) s.file = file;  // a copy of the community file itself
    else nv::listfile::ReplaceBytes(s.file, GenerateMix(entries));
    for (int r = 0; r < rounds; ++r) {
        EmptyFolder(s.plugins);
        double t0 = Now();
        auto result = nv::winapp2::Import(s.file, s.plugins, {});
        std::printf("mix seconds=%.3f imported=%d total=%d skipped=%zu\n", Now() - t0, result.imported, result.total,
                    result.skipped.size());
        std::fflush(stdout);
    }
}

class QuietView : public nv::engine::WindowlessRunView {
public:
    void BeginRun() override {}
    void showstatus(const std::wstring&) override {}
    void AppendRow(const std::wstring&) override {}
    void SetRowStatus(const std::wstring&) override {}
    void Pump() override { nvbench::PumpMessages(); }
};

// One preview of a plug-in of `count` [filekey] lines, each in a folder of
// its own that does not exist.
void Lines(int rounds) {
    const std::wstring app = kRoot + L"\\lines-app";
    MakeDirs(app + L"\\plus-in");
    nv::SetAppFolderForTests(app);
    for (int count : {5000, 10000, 20000}) {
        std::string t = "[name]\r\nappname=Many lines\r\n[swich]\r\non=1\r\n[filekey]\r\n";
        static const char* const kBases[] = {"%LocalAppData%", "%AppData%", "%ProgramFiles%", "%Documents%",
                                             "C:\\nvbench\\absent"};
        char buf[200];
        for (int i = 0; i < count; ++i) {
            snprintf(buf, sizeof buf, "%d=%s\\Absent Vendor %05d\\%sCache|*.*|RECURSE\r\n", i + 1, kBases[i % 5], i,
                     i % 3 ? "" : "*\\");
            t += buf;
        }
        const std::wstring file = app + L"\\plus-in\\lines.ppe";
        nv::listfile::ReplaceBytes(file, t);
        auto list = nv::plugins::Installed();
        for (int r = 0; r < rounds; ++r) {
            nv::engine::Environment env{kRoot + L"\\Roaming", kRoot + L"\\Local", L"C:\\windows", 0};
            QuietView view;
            nv::EraseContext erase(true);
            nv::engine::Counters counters;
            nv::engine::RunContext ctx{env, view, erase, counters, {}};
            double t0 = Now();
            for (const auto& p : list) nv::engine::processshell(ctx, p, p.Commands());
            std::printf("lines%d seconds=%.3f\n", count, Now() - t0);
            std::fflush(stdout);
        }
        DeleteFileW(file.c_str());
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!nvbench::Start(argc, 3, "plugin_bench import ENTRIES ROUNDS | list PLUGINS ROUNDS | mix ENTRIES ROUNDS [FILE] | lines 0 ROUNDS")) return 2;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    const std::wstring op = argv[1];
    const int n = _wtoi(argv[2]), rounds = _wtoi(argv[3]);
    if (op == L"import") Import(n, rounds);
    else if (op == L"list") List(n, rounds);
    else if (op == L"mix") Mix(n, rounds, argc > 4 ? argv[4] : nullptr);
    else if (op == L"lines") Lines(rounds);
    else return 2;
    return 0;
}
