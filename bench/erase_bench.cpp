// Times one erase operation on a generated tree, for tools/bench, which
// compares the figures with native tools on copies of the same tree.
//
//   erase_bench.exe OP FOLDER [NAME]
//
// OP is one of our primitives (alltree, empty, size, fileintree NAME,
// alltree-nolinkcheck) or a reference: bare-delete and bare-walk (the
// plainest find-data loops, nothing else) and cmd-rmdir (Wine's own
// `cmd /c rmdir /s /q`); noop measures the process's baseline. Prints
// "seconds=S bytes=B cpu=C peak_ws=P" (C: the process's user + kernel time).
// Destructive: runs only inside a sandboxed prefix, on folders below
// C:\nvbench.
#include <windows.h>

#include <cstdio>
#include <string>

#include "benchlib.h"
#include "foundation/erase_primitives.h"

namespace {

using nvbench::Now;

bool IsDots(const wchar_t* n) { return n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0)); }

// The reference delete: list, delete each file, recurse, remove the folder.
void BareDelete(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (IsDots(fd.cFileName)) continue;
            std::wstring p = dir + L"\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                BareDelete(p);
            else
                DeleteFileW(p.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// The reference walk: list and add up sizes.
double BareWalk(const std::wstring& dir) {
    double total = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (IsDots(fd.cFileName)) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += BareWalk(dir + L"\\" + fd.cFileName);
        else
            total += static_cast<double>((static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return total;
}

double CmdRmdir(const std::wstring& dir) {
    std::wstring cmd = L"cmd.exe /c rmdir /s /q \"" + dir + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!nvbench::Start(argc, 2, "erase_bench OP FOLDER [NAME]")) return 2;
    const std::wstring op = argv[1];
    const std::wstring folder = nvbench::BenchFolder(argv[2], "FOLDER");
    if (folder.empty()) return 2;
    nv::EraseContext ctx;
    ctx.set_pump(nvbench::PumpMessages);
    double bytes = 0;
    const double start = Now();
    if (op == L"alltree") {
        bytes = nv::allerase::DeleteAllFilesInTree(ctx, folder).value_or(-1);
    } else if (op == L"alltree-nolinkcheck") {
        nv::allerase::detail::SetFileLinkCheck(false);
        bytes = nv::allerase::DeleteAllFilesInTree(ctx, folder).value_or(-1);
    } else if (op == L"empty") {
        bytes = nv::allerase::EmptyFolder(ctx, folder);
    } else if (op == L"size") {
        bytes = nv::allerase::FolderSize(folder);
    } else if (op == L"fileintree" && argc > 3) {
        bytes = nv::allerase::DeleteFileInTree(ctx, folder, argv[3]);
    } else if (op == L"bare-delete") {
        BareDelete(folder);
    } else if (op == L"bare-walk") {
        bytes = BareWalk(folder);
    } else if (op == L"noop") {
        // the process's own baseline, for the peak working set
    } else if (op == L"cmd-rmdir") {
        bytes = CmdRmdir(folder);
    } else {
        std::fprintf(stderr, "unknown operation\n");
        return 2;
    }
    const double seconds = Now() - start;
    std::printf("seconds=%.3f bytes=%.0f cpu=%.3f peak_ws=%llu\n", seconds, bytes, nvbench::CpuSeconds(),
                nvbench::PeakWorkingSet());
    return 0;
}
