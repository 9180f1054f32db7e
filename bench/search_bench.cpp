// Times Search and Erase on a generated tree, for tools/bench --search,
// which compares the figures with find(1) on the same tree.
//
//   search_bench.exe compare FOLDER SEARCH ROUNDS
//   search_bench.exe stop FOLDER SEARCH
//
// "compare" times, in one process and in turns, the real search window
// (hidden: walk, matching, result lines, list filling, summary) and the
// plainest breadth-first find-data walk of the same tree, the cost of
// walking it. One line per run:
//   walk seconds=S cpu=C found=N
//   search seconds=S cpu=C found=N longest_gap_ms=G
// C is the processor time, G the longest time the window went without
// processing messages. "stop" clicks Stop 300 ms into a search and prints
//   stop seconds=S stop_ms=T
// with T the time the search ran on after the click.
// Runs only inside a sandboxed prefix, on folders below C:\nvbench.
#include <windows.h>

#include <cstdio>
#include <deque>
#include <string>

#include "benchlib.h"
#include "foundation/app_path.h"
#include "search/search_window.h"
#include "ui/resource.h"

namespace {

namespace id = nv::ids::locate;

using nvbench::CpuSeconds;
using nvbench::Now;

size_t BareWalk(const std::wstring& root) {
    size_t files = 0;
    std::deque<std::wstring> folders{L"\\\\?\\" + root + L"\\"};
    while (!folders.empty()) {
        std::wstring folder = std::move(folders.front());
        folders.pop_front();
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_LARGE_FETCH);
        if (h == INVALID_HANDLE_VALUE) continue;
        do {
            const wchar_t* n = fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
            else if (!(n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))))
                folders.push_back(folder + n + L"\\");
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return files;
}

// What a 1 ms timer sees while the search runs: the gaps between message
// processing, and the moment it clicks Stop (in "stop" mode).
struct Watch {
    double last = 0, longest = 0, stopClicked = 0;
    bool clickStop = false;
    double start = 0;
    HWND stopButton = nullptr;
} g_watch;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    const double now = Now();
    if (g_watch.last > 0 && now - g_watch.last > g_watch.longest) g_watch.longest = now - g_watch.last;
    g_watch.last = now;
    if (g_watch.clickStop && !g_watch.stopClicked && now - g_watch.start >= 0.3) {
        g_watch.stopClicked = now;
        SendMessageW(g_watch.stopButton, BM_CLICK, 0, 0);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!nvbench::Start(argc, 3, "search_bench compare|stop FOLDER SEARCH [ROUNDS]")) return 2;
    const std::wstring op = argv[1];
    const std::wstring folder = nvbench::BenchFolder(argv[2], "FOLDER");
    if (folder.empty()) return 2;
    // The window keeps Ext.txt in the application folder: ours is a scratch one.
    CreateDirectoryW(L"C:\\nvbench\\app", nullptr);
    nv::SetAppFolderForTests(L"C:\\nvbench\\app");
    auto* w = nv::search::frmLocate::Load(nullptr);
    if (!w) return 1;
    SetWindowTextW(w->control(id::Text1), argv[3]);
    g_watch.stopButton = w->control(id::cmdAction1);
    SetTimer(nullptr, 1, 1, Tick);
    auto search = [&] {
        g_watch = {.clickStop = op == L"stop", .stopButton = g_watch.stopButton};
        g_watch.start = Now();
        const double cpu = CpuSeconds();
        w->SetDir1Path(folder);  // a folder change searches at once
        const double seconds = Now() - g_watch.start;
        const LRESULT found = SendMessageW(w->control(id::List1), LB_GETCOUNT, 0, 0);
        if (op == L"stop")
            std::printf("stop seconds=%.3f stop_ms=%.1f\n", seconds,
                        g_watch.stopClicked ? (g_watch.start + seconds - g_watch.stopClicked) * 1000 : -1.0);
        else
            std::printf("search seconds=%.3f cpu=%.3f found=%ld longest_gap_ms=%.1f\n", seconds, CpuSeconds() - cpu,
                        static_cast<long>(found), g_watch.longest * 1000);
    };
    auto walk = [&] {
        const double start = Now(), cpu = CpuSeconds();
        const size_t files = BareWalk(folder);
        std::printf("walk seconds=%.3f cpu=%.3f found=%zu\n", Now() - start, CpuSeconds() - cpu, files);
    };
    const int rounds = op == L"compare" && argc > 4 ? _wtoi(argv[4]) : 1;
    for (int i = 0; i < rounds; ++i) {
        // In turns, so that neither always runs on a cache the other warmed.
        if (op == L"stop") {
            search();
        } else if (i % 2) {
            search();
            walk();
        } else {
            walk();
            search();
        }
        std::fflush(stdout);
    }
    nv::search::frmLocate::Unload();
    return 0;
}
