#include "shell/closing_watch.h"

#include <tlhelp32.h>

#include <cstdio>
#include <deque>
#include <map>

#include "engine/run_details.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "shell/details_window.h"
#include "shell/main_window.h"

namespace nv::closingwatch {
namespace {

constexpr wchar_t kClass[] = L"NorvaleClosingWatch";
constexpr UINT kEndedMessage = WM_APP + 40;  // wParam: process id
constexpr UINT_PTR kLookTimer = 1;
constexpr UINT_PTR kQuietTimer = 2;
constexpr size_t kKeptRuns = 8;
constexpr wchar_t kKeyPrefix[] = L"CLOSED:";

// One process being waited on: its handle stays open, so its id cannot be
// given to another process meanwhile.
struct Watch {
    ScopedHandle process;
    HANDLE wait = nullptr;
    ~Watch() {
        // Waits for a callback under way; it only posts a message.
        if (wait) UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
    }
};

struct WatchedApp {
    engine::ClosingApp app;
    std::map<DWORD, std::unique_ptr<Watch>> processes;
    ULONGLONG quietSince = 0;  // when the last process ended; 0: running, or no closing
    bool due = false;          // closed and quiet: a run is owed
};

HWND g_window = nullptr;
Runner g_runner;
std::vector<WatchedApp> g_apps;
bool g_inRun = false;
std::deque<std::pair<std::wstring, std::shared_ptr<const engine::RunDetails>>> g_runs;
unsigned g_runNumber = 0;

void CALLBACK ProcessEnded(void* pid, BOOLEAN) {
    PostMessageW(g_window, kEndedMessage, reinterpret_cast<WPARAM>(pid), 0);
}

void WatchProcess(WatchedApp& w, DWORD pid) {
    auto watch = std::make_unique<Watch>();
    watch->process.reset(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!watch->process) return;  // ended already, or not ours to wait on
    if (!RegisterWaitForSingleObject(&watch->wait, watch->process.get(), ProcessEnded,
                                     reinterpret_cast<void*>(static_cast<ULONG_PTR>(pid)), INFINITE,
                                     WT_EXECUTEONLYONCE))
        return;
    w.processes[pid] = std::move(watch);
    // A start within the quiet time: wait for this one instead.
    w.quietSince = 0;
    w.due = false;
}

// The process list: processes of the watched applications not yet waited on.
void Look() {
    HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (h == INVALID_HANDLE_VALUE) return;
    ScopedHandle snap(h);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap.get(), &pe); ok; ok = Process32NextW(snap.get(), &pe))
        for (WatchedApp& w : g_apps)
            for (const auto& exe : w.app.exeNames)
                if (SameText(pe.szExeFile, exe) && !w.processes.contains(pe.th32ProcessID)) WatchProcess(w, pe.th32ProcessID);
}

// While every watched application has a process waited on, the list need
// not be looked at: a process started beside them is found by the look 5 s
// after the last watched one ended, before that closing counts.
bool AllRunning() {
    for (const WatchedApp& w : g_apps)
        if (w.processes.empty()) return false;
    return true;
}

// Quiet long enough → owed; owed → one run when none is in progress.
void RunWhatIsDue() {
    if (g_inRun) return;  // a run yields to the message loop; timers tick inside it
    const ULONGLONG now = GetTickCount64();
    for (WatchedApp& w : g_apps)
        if (w.quietSince && w.processes.empty() && now - w.quietSince >= kQuietMs) {
            w.quietSince = 0;
            w.due = true;
        }
    for (size_t i = 0; i < g_apps.size(); ++i) {
        if (!g_apps[i].due) continue;
        const engine::ClosingApp app = g_apps[i].app;
        g_inRun = true;
        const bool ran = g_runner && g_runner(app);
        g_inRun = false;
        if (!ran) return;  // another run: ask again at the next look
        // The list may have been rebuilt while the run yielded.
        for (WatchedApp& w : g_apps)
            if (w.app.name == app.name) w.due = false;
    }
}

void OnEnded(DWORD pid) {
    for (WatchedApp& w : g_apps) {
        if (w.processes.erase(pid) == 0 || !w.processes.empty()) continue;
        w.quietSince = GetTickCount64();
        if (w.quietSince == 0) w.quietSince = 1;
        SetTimer(g_window, kQuietTimer, kQuietMs, nullptr);
    }
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kEndedMessage) {
        OnEnded(static_cast<DWORD>(wp));
        return 0;
    }
    if (msg == WM_TIMER) {
        if (wp == kQuietTimer) KillTimer(hwnd, kQuietTimer);
        if (wp == kQuietTimer || !AllRunning()) Look();
        RunWhatIsDue();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool EnsureWindow() {
    if (g_window) return true;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    g_window = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return g_window != nullptr;
}

}  // namespace

void Start(Runner runner) {
    g_runner = std::move(runner);
    Refresh();
}

void Refresh() {
    // Kept across a refresh: what is already waited on, and a closing that
    // is quiet or owed.
    std::vector<WatchedApp> kept;
    for (engine::ClosingApp& app : engine::ClosingApps()) {
        if (!engine::ClosingTicked(app)) continue;
        WatchedApp w{std::move(app)};
        for (WatchedApp& old : g_apps)
            if (old.app.name == w.app.name) {
                w.processes = std::move(old.processes);
                w.quietSince = old.quietSince;
                w.due = old.due;
            }
        kept.push_back(std::move(w));
    }
    g_apps = std::move(kept);
    if (g_apps.empty()) {
        if (g_window) {
            KillTimer(g_window, kLookTimer);
            KillTimer(g_window, kQuietTimer);
        }
        return;
    }
    if (!EnsureWindow()) return;
    Look();
    SetTimer(g_window, kLookTimer, kLookIntervalMs, nullptr);
}

void Stop() {
    g_apps.clear();
    g_runner = nullptr;
    if (g_window) DestroyWindow(g_window);
    g_window = nullptr;
}

std::vector<std::wstring> Watched() {
    std::vector<std::wstring> names;
    for (const auto& w : g_apps) names.push_back(w.app.name);
    return names;
}

std::wstring ClosedText(const std::wstring& app, size_t items, double bytes) {
    wchar_t mb[64];
    swprintf(mb, 64, L"%.1f", bytes / 1048576.0);
    return app + L" closed: cleaned " + std::to_wstring(items) + (items == 1 ? L" item, " : L" items, ") + mb + L" MB";
}

std::wstring RememberRun(std::shared_ptr<const engine::RunDetails> details) {
    std::wstring key = kKeyPrefix + std::to_wstring(++g_runNumber);
    g_runs.emplace_back(key, std::move(details));
    if (g_runs.size() > kKeptRuns) g_runs.pop_front();
    return key;
}

bool HandleClick(const std::wstring& key) {
    if (key.rfind(kKeyPrefix, 0) != 0) return false;
    for (const auto& [k, details] : g_runs)
        if (k == key && details && details->RowCount() > 0) {
            frmMainCode* main = frmMainCode::Instance();
            HWND w = frmDetails::Show(main ? main->hwnd() : nullptr, details, details->RowCount() - 1);
            if (w) SetForegroundWindow(w);
        }
    return true;
}

}  // namespace nv::closingwatch
