#include "settings/file_selection.h"

namespace nv::ModDlgSelectFileInfo {

SelectedFileInfo GetSelectedFileInfo(std::wstring_view selection) {
    std::vector<std::wstring> pieces;
    for (size_t at = 0; at < selection.size();) {
        size_t end = selection.find(L'\0', at);
        if (end == std::wstring_view::npos) end = selection.size();
        if (end == at) break;  // the second NUL ends the selection
        pieces.emplace_back(selection.substr(at, end - at));
        at = end + 1;
    }
    SelectedFileInfo info;
    if (pieces.empty()) return info;
    if (pieces.size() == 1) {
        size_t cut = pieces[0].find_last_of(L'\\');
        info.sPath = cut == std::wstring::npos ? L"" : pieces[0].substr(0, cut + 1);
        info.sFiles.push_back(cut == std::wstring::npos ? pieces[0] : pieces[0].substr(cut + 1));
    } else {
        info.sPath = pieces[0];
        info.sFiles.assign(pieces.begin() + 1, pieces.end());
    }
    if (!info.sPath.empty() && info.sPath.back() != L'\\') info.sPath += L'\\';
    info.nCount = static_cast<short>(info.sFiles.size());
    return info;
}

}  // namespace nv::ModDlgSelectFileInfo
