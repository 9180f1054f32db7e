// Start routine of the process.
#pragma once

#include <windows.h>

#include <string>

namespace nv {

// Keeps the command line, opens the splash and runs the message loop.
int StartProgram(HINSTANCE instance);

// The argument text of a command line: everything after the program name
// and the blanks that follow it, exactly as given otherwise.
std::wstring ArgumentText(const std::wstring& commandLine);

}  // namespace nv
