// The drive list Drive1 and the folder list Dir1 of the search window: the
// folder list shows the path's folders from the root down, opened, and the
// subfolders of the current one; a double-click moves it there.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "foundation/erase_primitives.h"
#include "foundation/handles.h"
#include "search/search_window.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::search {
namespace {

namespace id = ids::locate;

HICON FolderIcon(bool open) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
    SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags);
    return info.hIcon;
}

// "C:\" or "\\server\share": the part of a canonical path no folder list goes above.
size_t RootLength(const std::wstring& path) {
    if (!path.starts_with(L"\\\\")) return 3;
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return path.size();
    size_t share = path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share;
}

std::vector<std::wstring> Subfolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::wstring pattern = (folder.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + folder.substr(2) : L"\\\\?\\" + folder);
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return names;
    do {
        const wchar_t* n = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
        names.emplace_back(n);
    } while (FindNextFileW(find.get(), &fd));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return names;
}

}  // namespace

void frmLocate::FillDrive1() {
    HWND combo = control(id::Drive1);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
        std::wstring text = {static_cast<wchar_t>(L'a' + i), L':'};
        wchar_t label[MAX_PATH + 1] = L"";
        // Only fixed drives are asked for a label: a floppy or a disc drive
        // would spin up.
        if (GetDriveTypeW(root) == DRIVE_FIXED &&
            GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
            text += std::wstring(L" [") + label + L"]";
        LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(combo, CB_SETITEMDATA, item, L'A' + i);
    }
    SelectDrive();
}

void frmLocate::SelectDrive() {
    HWND combo = control(id::Drive1);
    const wchar_t drive = dir1Path_.size() > 1 && dir1Path_[1] == L':' ? towupper(dir1Path_[0]) : 0;
    const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i)
        if (static_cast<wchar_t>(SendMessageW(combo, CB_GETITEMDATA, i, 0)) == drive) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            return;
        }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void frmLocate::FillDir1() {
    if (!folderIcon_) folderIcon_ = FolderIcon(false);
    if (!openFolderIcon_) openFolderIcon_ = FolderIcon(true);
    dirItems_.clear();
    const size_t rootLength = RootLength(dir1Path_);
    dirItems_.push_back({dir1Path_.substr(0, rootLength), dir1Path_.substr(0, rootLength), 0, true});
    int level = 0;
    for (size_t b = rootLength; b < dir1Path_.size();) {
        if (dir1Path_[b] == L'\\') ++b;
        size_t e = dir1Path_.find(L'\\', b);
        if (e == std::wstring::npos) e = dir1Path_.size();
        dirItems_.push_back({dir1Path_.substr(0, e), dir1Path_.substr(b, e - b), ++level, true});
        b = e;
    }
    const int current = static_cast<int>(dirItems_.size()) - 1;
    const std::wstring base = dir1Path_.back() == L'\\' ? dir1Path_ : dir1Path_ + L"\\";
    for (auto& name : Subfolders(dir1Path_)) dirItems_.push_back({base + name, name, level + 1, false});

    HWND list = control(id::Dir1);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& item : dirItems_) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
    SendMessageW(list, LB_SETCURSEL, current, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

bool frmLocate::DrawDir1Item(const DRAWITEMSTRUCT& d) {
    if (d.CtlID != static_cast<UINT>(id::Dir1)) return false;
    if (d.itemID >= dirItems_.size()) return true;
    const DirItem& item = dirItems_[d.itemID];
    const bool selected = d.itemState & ODS_SELECTED;
    RECT rc = d.rcItem;
    FillRect(d.hDC, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int icon = ui::Px(16);
    const int x = rc.left + ui::Px(2) + item.level * ui::Px(10);
    HICON h = item.open ? openFolderIcon_ : folderIcon_;
    if (h) DrawIconEx(d.hDC, x, rc.top + (rc.bottom - rc.top - icon) / 2, h, icon, icon, 0, nullptr, DI_NORMAL);
    RECT text{x + icon + ui::Px(4), rc.top, rc.right, rc.bottom};
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor((d.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                    : selected                   ? COLOR_HIGHLIGHTTEXT
                                                                 : COLOR_WINDOWTEXT));
    DrawTextW(d.hDC, item.name.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &rc);
    return true;
}

void frmLocate::OpenSelectedDir() {
    const LRESULT sel = SendMessageW(control(id::Dir1), LB_GETCURSEL, 0, 0);
    if (sel < 0 || static_cast<size_t>(sel) >= dirItems_.size()) return;
    if (dirItems_[sel].path != dir1Path_) SetDir1Path(dirItems_[sel].path);
}

void frmLocate::SetDir1Path(const std::wstring& path) {
    if (busy_) return;
    const std::wstring canonical = allerase::NormalizePath(path);
    if (canonical.empty()) return;
    const DWORD attr = GetFileAttributesW(canonical.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return;
    dir1Path_ = canonical;
    FillDir1();
    SelectDrive();
    Dir1_Change();
}

void frmLocate::Drive1_Change() {
    HWND combo = control(id::Drive1);
    const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (busy_ || sel < 0) return;
    const wchar_t root[] = {static_cast<wchar_t>(SendMessageW(combo, CB_GETITEMDATA, sel, 0)), L':', L'\\', 0};
    const DWORD attr = GetFileAttributesW(root);
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        SelectDrive();  // not ready: the list stays on the folder's drive
        return;
    }
    SetDir1Path(root);
}

}  // namespace nv::search
