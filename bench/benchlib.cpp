#include "benchlib.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "foundation/erase_primitives.h"
#include "sandbox.h"

namespace nvbench {

bool Start(int argc, int args, const char* usage) {
    if (!nvtest::InSandbox()) {
        std::fprintf(stderr, "Refusing to run: the benchmark writes and deletes files and runs only inside\n"
                             "the sandboxed Wine prefix that tools/bench creates.\n");
        return false;
    }
    if (argc <= args) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    return true;
}

std::wstring BenchFolder(const wchar_t* arg, const char* name) {
    std::wstring folder = nv::allerase::NormalizePath(arg);
    if (folder.starts_with(L"C:\\nvbench\\")) return folder;
    std::fprintf(stderr, "Refusing to run: %s must lie below C:\\nvbench\n", name);
    return {};
}

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}

unsigned long long PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace nvbench
