// Which programs hold files open, as the system's Restart Manager tells
// it: one interface, so that tests can name a holder where the real one
// answers nothing (under Wine it lists no one).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv::holders {

struct Holder {
    std::wstring app;  // the name the system gives the application ("Firefox")
    std::wstring exe;  // its executable's file name ("firefox.exe"); "" when unknown
    DWORD pid = 0;
};

class Finder {
public:
    virtual ~Finder() = default;
    // The programs that hold any of the files, in one session; empty when
    // the system cannot say (no Restart Manager, an error, nobody listed).
    virtual std::vector<Holder> Find(const std::vector<std::wstring>& files) = 0;
};

Finder& Current();
void Install(Finder* f);  // nullptr restores the system's

// "Firefox (firefox.exe, 4312)"; "Firefox (4312)" when the executable is
// unknown; several joined by " or ", at most three named.
std::wstring HolderText(const std::vector<Holder>& holders);

}  // namespace nv::holders
