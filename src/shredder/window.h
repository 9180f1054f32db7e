// The "File Shredder" window: the list of files and folders to shred, the
// one question, the progress and what came of each item.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv::shredder {

// Control ids (tests find the controls by them).
enum : int {
    IDC_LIST = 101,
    IDC_ADDFILES,
    IDC_ADDFOLDER,
    IDC_REMOVE,
    IDC_CLEAR,
    IDC_SHRED,
    IDC_STOP,
    IDC_PROGRESS,
    IDC_RESULTS,
    IDC_TOTAL,
    IDC_LIMITS,
    IDC_WHY,
};

// Creates and shows the window with `paths` on its list.
HWND CreateShredderWindow(const std::vector<std::wstring>& paths, int showCmd = SW_SHOWNORMAL);

// Puts paths on the list: each once, with its size. Refused and missing
// ones go to the result list with the reason instead.
void AddPaths(HWND window, const std::vector<std::wstring>& paths);

// The paths on the list, in order.
std::vector<std::wstring> ListedPaths(HWND window);

}  // namespace nv::shredder
