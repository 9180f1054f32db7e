#pragma once
#include <windows.h>
namespace nv {
int StartProgram(HINSTANCE instance);
}
