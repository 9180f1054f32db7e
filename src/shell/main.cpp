// Entry point of cleaner.exe.
#include <windows.h>

#include "shell/start.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return nv::StartProgram(instance); }
