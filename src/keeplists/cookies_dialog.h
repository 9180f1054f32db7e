// "Cookies Options": the cookie files of the browser's cookie folder beside
// the cookie keep list (keepcook.dat), with Add, Remove and a preview of
// the last clicked file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv::frmcookie {

void ShowModal(HWND owner);
// Without a message loop of its own (tests); closed with DestroyWindow.
HWND Create(HWND owner);

// Full paths of the files directly in the cookie folder whose names contain
// ".txt" (letter case counts), in the order the folder lists them.
std::vector<std::wstring> CurrentCookies();

}  // namespace nv::frmcookie
