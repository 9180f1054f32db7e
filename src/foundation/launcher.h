// Starting programs, shell-opening targets, waiting for a started program:
// one interface, so that tests can see what would have been started.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace nv::launcher {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a command line with the given show state; does not wait.
    // The new process's id, 0 when it could not start.
    virtual DWORD Start(const std::wstring& commandLine, int showCmd) = 0;
    // Starts a command line and waits for the process to end, calling pump
    // whenever messages arrive (no busy wait). False when it could not start.
    virtual bool StartAndWait(const std::wstring& commandLine, int showCmd,
                              const std::function<void()>& pump) = 0;
    // Opens a file, URL or "mailto:" link with the shell's default verb.
    virtual void ShellOpen(const std::wstring& target) = 0;
};

Launcher& Current();
void Install(Launcher* l);  // nullptr restores the real one

// Quotes a path for a command line when it holds blanks.
std::wstring Quote(const std::wstring& path);

}  // namespace nv::launcher
