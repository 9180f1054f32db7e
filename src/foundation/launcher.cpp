#include "foundation/launcher.h"

#include <shellapi.h>

#include <vector>

#include "foundation/handles.h"

namespace nv::launcher {
namespace {

bool CreateProc(const std::wstring& commandLine, int showCmd, PROCESS_INFORMATION& pi) {
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCmd);
    return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
}

class RealLauncher : public Launcher {
public:
    DWORD Start(const std::wstring& commandLine, int showCmd) override {
        PROCESS_INFORMATION pi{};
        if (!CreateProc(commandLine, showCmd, pi)) return 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return pi.dwProcessId;
    }

    bool StartAndWait(const std::wstring& commandLine, int showCmd,
                      const std::function<void()>& pump) override {
        PROCESS_INFORMATION pi{};
        if (!CreateProc(commandLine, showCmd, pi)) return false;
        CloseHandle(pi.hThread);
        ScopedHandle process(pi.hProcess);
        // Sleep until the process ends or a message arrives; pump the
        // messages so the window stays responsive meanwhile.
        for (;;) {
            HANDLE h = process.get();
            DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0 + 1) {
                if (pump) pump();
                continue;
            }
            break;  // ended, or the wait itself failed
        }
        return true;
    }

    void ShellOpen(const std::wstring& target) override {
        // No verb: the target's default one, which need not be "open".
        ShellExecuteW(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

RealLauncher g_real;
Launcher* g_current = &g_real;

}  // namespace

Launcher& Current() { return *g_current; }
void Install(Launcher* l) { g_current = l ? l : &g_real; }

std::wstring Quote(const std::wstring& path) {
    if (path.find(L' ') == std::wstring::npos || (path.size() >= 2 && path.front() == L'"')) return path;
    return L"\"" + path + L"\"";
}

}  // namespace nv::launcher
