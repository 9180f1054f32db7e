// Times Analyze's listing and secure deletion on generated trees, for
// tools/bench --secure, which compares the figures with GNU shred and with
// a plain clean on copies of the same files.
//
//   details_bench.exe OP FOLDER
//
// OP: analyze (a preview of deleting every file of the tree, heard by the
// details listing, then sorted by size as the details window does), preview
// (the same walk heard by nobody), plain or secure (every file deleted,
// without or with overwriting), noop (the process's baseline).
// Prints "seconds=S targets=N sort_seconds=T max_gap_ms=G peak_ws=P".
// Destructive: runs only inside a sandboxed prefix, on folders below
// C:\nvbench.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "benchlib.h"
#include "engine/run_details.h"
#include "foundation/erase_primitives.h"

namespace {

using nvbench::Now;

// The pump a window would install; it also measures the longest time the
// window would have gone without processing messages.
double g_lastPump = 0, g_maxGap = 0;
void Pump() {
    double now = Now();
    g_maxGap = std::max(g_maxGap, now - g_lastPump);
    g_lastPump = now;
    nvbench::PumpMessages();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!nvbench::Start(argc, 2, "details_bench OP FOLDER")) return 2;
    const std::wstring op = argv[1];
    const std::wstring folder = nvbench::BenchFolder(argv[2], "FOLDER");
    if (folder.empty()) return 2;
    const bool preview = op == L"analyze" || op == L"preview";
    nv::engine::RunDetails details(preview, op == L"secure");
    nv::EraseContext ctx(preview);
    ctx.set_pump(Pump);
    if (op != L"preview") ctx.set_sink(&details);
    double sortSeconds = 0;
    const double start = Now();
    g_lastPump = start;
    if (op == L"analyze") {
        details.BeginRow(L"cache");
        nv::allerase::DeleteAllFilesInTree(ctx, folder);
        details.EndItems();
        details.BeginRow(L"all");
        // What the details window does with it: sort by size, show a page.
        const double sortStart = Now();
        std::vector<uint32_t> order(details.TargetCount());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return details.Bytes(a) > details.Bytes(b); });
        size_t chars = 0;
        for (size_t i = 0; i < std::min<size_t>(order.size(), 40); ++i) chars += details.Target(order[i]).size();
        sortSeconds = Now() - sortStart;
        if (chars == 0 && !order.empty()) return 1;
    } else if (op == L"preview") {
        nv::allerase::DeleteAllFilesInTree(ctx, folder);
    } else if (op == L"plain" || op == L"secure") {
        ctx.set_secure(op == L"secure");
        nv::allerase::DeleteAllFilesInTree(ctx, folder);
    } else if (op != L"noop") {
        std::fprintf(stderr, "unknown operation\n");
        return 2;
    }
    Pump();
    const double seconds = Now() - start;
    std::printf("seconds=%.3f targets=%zu sort_seconds=%.3f max_gap_ms=%.1f peak_ws=%llu\n", seconds,
                details.TargetCount(), sortSeconds, g_maxGap * 1000, nvbench::PeakWorkingSet());
    return 0;
}
