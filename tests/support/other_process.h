// otherprocess_tests.exe (tests/helpers, linked in as resource 900) written
// to a scratch folder and started: browser and Explorer windows of another
// process, a message sent from one, or a program under another executable
// name that holds a file. Ended with the object.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sandbox.h"
#include "ui/ui.h"

namespace nvtest {

class OtherProcess {
public:
    explicit OtherProcess(const std::wstring& args, const std::wstring& exeName = L"otherprocess_tests.exe") {
        HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(900), MAKEINTRESOURCEW(10));  // RT_RCDATA
        if (!res) return;
        const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, res)));
        const std::wstring exe = dir_ / exeName;
        WriteText(exe, std::string(data, SizeofResource(nullptr, res)));
        std::wstring line = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{sizeof si};
        if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.path().c_str(), &si,
                           &pi_))
            WaitForInputIdle(pi_.hProcess, 5000);
    }
    ~OtherProcess() {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    bool started() const { return pi_.hProcess != nullptr; }
    bool running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // Its top-level windows of the classes it was asked for, in the order
    // they were asked for; the system's own are left out.
    std::vector<HWND> Windows() const {
        std::pair<DWORD, std::vector<HWND>> found{pi_.dwProcessId, {}};
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* f = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lp);
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                wchar_t cls[64] = {};
                GetClassNameW(h, cls, 64);
                const std::wstring c = cls;
                if (pid == f->first && (c == L"CabinetWClass" || c == L"IEFrame")) f->second.push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        auto title = [](HWND h) {  // "other 2", "other 3", ...
            wchar_t t[32] = {};
            GetWindowTextW(h, t, 32);
            return std::wstring(t);
        };
        std::sort(found.second.begin(), found.second.end(), [&](HWND a, HWND b) { return title(a) < title(b); });
        return found.second;
    }
    // Waits (pumping this thread's messages) for it to end; its exit code.
    DWORD Wait() const {
        for (int i = 0; i < 500 && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; ++i) {
            nv::ui::PumpMessages();
            Sleep(10);
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    ScratchDir dir_{L"other"};
    PROCESS_INFORMATION pi_{};
};

// Pumps this thread's messages until done() holds or about five seconds pass.
template <class F>
bool PumpUntil(F done) {
    for (int i = 0; i < 250; ++i) {
        if (done()) return true;
        nv::ui::PumpMessages();
        Sleep(20);
    }
    return done();
}

}  // namespace nvtest
