#include "foundation/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "foundation/handles.h"
#include "foundation/text.h"

namespace nv::processes {
namespace {

bool Listed(const std::wstring& name, const std::vector<std::wstring>& names) {
    for (const std::wstring& n : names)
        if (SameText(name, n)) return true;
    return false;
}

struct Process {
    DWORD id;
    std::wstring name;
};

std::vector<Process> Snapshot() {
    std::vector<Process> out;
    HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (h == INVALID_HANDLE_VALUE) return out;
    ScopedHandle snap(h);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap.get(), &pe); ok; ok = Process32NextW(snap.get(), &pe))
        out.push_back({pe.th32ProcessID, pe.szExeFile});
    return out;
}

}  // namespace

std::vector<std::wstring> RunningNames() {
    std::vector<std::wstring> out;
    for (Process& p : Snapshot()) out.push_back(std::move(p.name));
    return out;
}

std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames,
                                         const std::vector<std::wstring>& running) {
    for (const std::wstring& n : exeNames)
        if (Listed(n, running)) return n;
    return std::nullopt;
}

std::optional<std::wstring> FirstRunning(const std::vector<std::wstring>& exeNames) {
    if (exeNames.empty()) return std::nullopt;
    return FirstRunning(exeNames, RunningNames());
}

std::vector<std::wstring> AskToClose(const std::vector<std::wstring>& exeNames, unsigned waitMs,
                                     const std::function<bool()>& pump) {
    struct Target {
        DWORD id;
        std::wstring name;
        ScopedHandle process;
        bool asked = false;
    };
    // The shell is never asked: WM_CLOSE to its desktop window is the
    // "Shut Down Windows" question. Nor is this program.
    DWORD shell = 0, taskbar = 0;
    if (HWND desktop = GetShellWindow()) GetWindowThreadProcessId(desktop, &shell);
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) GetWindowThreadProcessId(tray, &taskbar);
    std::vector<Target> targets;
    for (Process& p : Snapshot()) {
        if (!Listed(p.name, exeNames)) continue;
        if (p.id == GetCurrentProcessId() || (shell && p.id == shell) || (taskbar && p.id == taskbar)) {
            targets.push_back({p.id, std::move(p.name), ScopedHandle()});
            continue;
        }
        targets.push_back({p.id, std::move(p.name), ScopedHandle(OpenProcess(SYNCHRONIZE, FALSE, p.id))});
    }
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            DWORD id = 0;
            GetWindowThreadProcessId(w, &id);
            if (!IsWindowVisible(w)) return TRUE;
            for (Target& t : *reinterpret_cast<std::vector<Target>*>(lp))
                if (t.id == id && t.process && PostMessageW(w, WM_CLOSE, 0, 0)) t.asked = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&targets));
    auto ended = [](const Target& t) {
        return t.process && WaitForSingleObject(t.process.get(), 0) == WAIT_OBJECT_0;
    };
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        bool waiting = false;
        for (const Target& t : targets) waiting = waiting || (t.asked && !ended(t));
        if (!waiting || GetTickCount64() >= deadline) break;
        if (pump && !pump()) break;
        Sleep(50);
    }
    std::vector<std::wstring> still;
    for (const Target& t : targets)
        if (!ended(t) && !Listed(t.name, still)) still.push_back(t.name);
    return still;
}

}  // namespace nv::processes
