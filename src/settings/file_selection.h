// The selection of the multi-select file-open dialog, split into its folder
// and file names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nv::ModDlgSelectFileInfo {

struct SelectedFileInfo {
    short nCount = 0;                 // number of files
    std::wstring sPath;               // their folder, ending with "\"
    std::vector<std::wstring> sFiles; // their names, in the order of the selection
};

// `selection` is the dialog's buffer: one full path, or the folder followed
// by the names, each ended by a NUL, the whole ended by a second NUL. The
// folder is taken from the selection itself, never from the current
// directory, so the names always join the folder they were picked in.
SelectedFileInfo GetSelectedFileInfo(std::wstring_view selection);

}  // namespace nv::ModDlgSelectFileInfo
