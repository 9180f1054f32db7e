// The two lists of the Cleaning Settings dialog: the plug-ins (ListView1,
// Applications page) and the custom items (ListView2, Custom Item page).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <map>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "settings/file_selection.h"
#include "settings/custom_items_file.h"
#include "settings/cleaning_settings_impl.h"
#include "plugins/winapp2_import.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmsettings {
namespace {

namespace id = ids::frmsettings;

constexpr size_t kSelectionChars = 32767;

void AddColumns(HWND list, std::initializer_list<std::pair<const wchar_t*, int>> columns) {
    int i = 0;
    for (auto [text, width] : columns) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = const_cast<wchar_t*>(text);
        c.cx = ui::Px(width);
        ListView_InsertColumn(list, i++, &c);
    }
}

int AppendRow(HWND list, const std::wstring& text, std::initializer_list<std::wstring> cells) {
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = ListView_GetItemCount(list);
    it.pszText = const_cast<wchar_t*>(text.c_str());
    it.lParam = it.iItem;
    int row = ListView_InsertItem(list, &it);
    int col = 1;
    for (const auto& c : cells) ListView_SetItemText(list, row, col++, const_cast<wchar_t*>(c.c_str()));
    return row;
}

std::wstring CellText(HWND list, int row, int col) {
    std::wstring buf(1024, L'\0');
    for (;;) {
        LVITEMW it{};
        it.iSubItem = col;
        it.pszText = buf.data();
        it.cchTextMax = static_cast<int>(buf.size());
        int n = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&it)));
        if (n < static_cast<int>(buf.size()) - 1) return buf.substr(0, n);
        buf.resize(buf.size() * 4);
    }
}

// The Status column: why a plug-in does not apply, or that its detection holds.
std::wstring StatusText(const plugins::Plugin& p, const std::wstring& fault, bool detected) {
    if (!fault.empty()) return L"error: " + fault;
    if (!detected) return L"not installed";
    return p.extras.HasDetect() ? L"installed" : L"";
}

// Long walks (a large folder's size) show the hourglass.
class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

}  // namespace

void Dialog::SetUpLists() {
    ListView_SetExtendedListViewStyle(list1_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    AddColumns(list1_, {{L"Applications Name", 170}, {L"Version", 70}, {L"Description", 250}, {L"Status", 90}});
    ListView_SetExtendedListViewStyle(list2_, LVS_EX_FULLROWSELECT);
    AddColumns(list2_, {{L"Name", 330}, {L"Type", 60}, {L"Size", 75}, {L"Modified", 135}});
    FitPluginColumns();
    // The last column of the custom list takes the rest of its width.
    ListView_SetColumnWidth(list2_, 3, LVSCW_AUTOSIZE_USEHEADER);
}

// The names as wide as the widest (within reason), Description what is left.
void Dialog::FitPluginColumns() {
    if (ListView_GetItemCount(list1_) > 0) {
        ListView_SetColumnWidth(list1_, 0, LVSCW_AUTOSIZE_USEHEADER);
        const int w = ListView_GetColumnWidth(list1_, 0);
        ListView_SetColumnWidth(list1_, 0, std::clamp(w, ui::Px(170), ui::Px(270)));
    }
    RECT r;
    GetClientRect(list1_, &r);
    const int others = ListView_GetColumnWidth(list1_, 0) + ListView_GetColumnWidth(list1_, 1) +
                       ListView_GetColumnWidth(list1_, 3) + GetSystemMetrics(SM_CXVSCROLL);
    ListView_SetColumnWidth(list1_, 2, std::max<int>(r.right - others, ui::Px(150)));
}

void Dialog::ClearPluginList() {
    ListView_DeleteAllItems(list1_);
    plugins_.clear();
    applies_.clear();
}

void Dialog::AddList(const std::wstring& folder, const std::wstring& extension) {
    fillingList1_ = true;
    plugins::DetectCache cache;
    const pathvars::Folders userFolders;
    std::vector<plugins::Plugin> found = plugins::ReadList(folder, extension);
    // A thousand rows are added in one go, drawn once.
    SendMessageW(list1_, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCountEx(list1_, ListView_GetItemCount(list1_) + static_cast<int>(found.size()), LVSICF_NOSCROLL);
    for (plugins::Plugin& p : found) {
        const std::wstring fault = p.Fault(userFolders);
        const bool detected = fault.empty() && plugins::Detected(p.extras, userFolders, &cache);
        int row = AppendRow(list1_, p.name, {p.version, p.description, StatusText(p, fault, detected)});
        ListView_SetCheckState(list1_, row, p.enabled);
        plugins_.push_back(std::move(p));
        applies_.push_back(detected);
    }
    fillingList1_ = false;
    FitPluginColumns();
    SendMessageW(list1_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list1_, nullptr, TRUE);
}

void Dialog::ListView1_ItemChanged(const NMLISTVIEW& change) {
    if (fillingList1_ || !(change.uChanged & LVIF_STATE) || change.iItem < 0 ||
        change.iItem >= static_cast<int>(plugins_.size()))
        return;
    const bool ticked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) &&
                        (change.uOldState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(1);
    const plugins::Plugin& p = plugins_[change.iItem];
    if (!ticked || p.extras.warning.empty()) return;
    if (prompts::Show(p.name + L":\n\n" + p.extras.warning + L"\n\nClean it anyway?", kAppTitle,
                      MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK)
        return;
    fillingList1_ = true;
    ListView_SetCheckState(list1_, change.iItem, FALSE);
    fillingList1_ = false;
}

LRESULT Dialog::ListView1_CustomDraw(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw.nmcd.dwItemSpec < applies_.size() &&
        !applies_[draw.nmcd.dwItemSpec])
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    return CDRF_DODEFAULT;
}

void Dialog::cmdImport_Click() {
    wchar_t file[MAX_PATH * 4] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"Winapp2 files (*.ini)\0*.ini\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(std::size(file));
    ofn.lpstrTitle = L"Import Winapp2.ini";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) return;
    winapp2::Result r;
    {
        WaitCursor wait;
        r = winapp2::Import(file, plugins::PluginFolder(), {});
    }
    // Ticks changed here but not saved yet stay as the user left them.
    std::map<std::wstring, bool> ticks;
    for (size_t row = 0; row < plugins_.size(); ++row)
        ticks[ToLower(plugins_[row].file)] = ListView_GetCheckState(list1_, static_cast<int>(row)) != FALSE;
    ClearPluginList();
    AddList(plugins::PluginFolder(), plugins::kExtension);
    fillingList1_ = true;
    for (size_t row = 0; row < plugins_.size(); ++row)
        if (auto t = ticks.find(ToLower(plugins_[row].file)); t != ticks.end())
            ListView_SetCheckState(list1_, static_cast<int>(row), t->second);
    fillingList1_ = false;

    std::wstring text = r.refused ? r.error + L"; nothing was imported." : winapp2::Summary(r, L"reasons below") + L".";
    constexpr size_t kShown = 15;
    auto list = [&](const wchar_t* heading, const std::vector<std::wstring>& lines) {
        if (!lines.empty()) text += L"\n\n" + std::wstring(heading);
        for (size_t i = 0; i < lines.size() && i < kShown; ++i) text += L"\n" + lines[i];
        if (lines.size() > kShown) text += L"\n... and " + std::to_wstring(lines.size() - kShown) + L" more";
    };
    list(L"Skipped:", r.skipped);
    list(L"Lines dropped:", r.dropped);
    list(L"Left alone, changed or renamed since imported:", r.leftAlone);
    if (!r.unwritten.empty()) text += L"\n\nThese plug-in files could not be written or removed:";
    for (const auto& f : r.unwritten) text += L"\n" + f;
    prompts::Show(text, kAppTitle, MB_OK | (r.refused || !r.unwritten.empty() ? MB_ICONWARNING : MB_ICONINFORMATION));
}

bool Dialog::SavePluginFlags(std::vector<std::wstring>& failed) {
    bool ok = true;
    const int rows = ListView_GetItemCount(list1_);
    for (int row = 0; row < rows && row < static_cast<int>(plugins_.size()); ++row) {
        const plugins::Plugin& p = plugins_[row];
        if (plugins::WriteEnabled(p, ListView_GetCheckState(list1_, row) != FALSE)) continue;
        failed.push_back(plugins::IsLink(p) ? p.file + L" (a link: its target was left alone)" : p.file);
        ok = false;
    }
    return ok;
}

void Dialog::LoadCustomItems() {
    for (const cusd::Entry& e : cusd::Read().value_or(std::vector<cusd::Entry>{}))
        if (cusd::FoundByLookup(e.path)) AddCustomRow(e.path, e.kind, true);
}

void Dialog::AddCustomRow(const std::wstring& path, const std::wstring& kind, bool padded) {
    const bool file = kind == cusd::kFile, folder = kind == cusd::kFolder;
    if (!file && !folder) {
        AppendRow(list2_, path, {});
        return;
    }
    cusd::Details d = file ? cusd::FileDetails(path) : cusd::FolderDetails(path);
    AppendRow(list2_, path, {kind, d.bytes ? cusd::MegabytesCell(*d.bytes, padded) : L"", d.modified});
}

bool Dialog::SaveCustomItems() {
    std::vector<cusd::Entry> entries;
    const int rows = ListView_GetItemCount(list2_);
    for (int row = 0; row < rows; ++row) entries.push_back({CellText(list2_, row, 0), CellText(list2_, row, 1)});
    return cusd::Write(entries);
}

void Dialog::Command101_Click() {
    HMENU options = CreatePopupMenu();
    AppendMenuW(options, MF_STRING, id::addfiles, L"Add Files");
    AppendMenuW(options, MF_STRING, id::addfolders, L"Add Folders");
    POINT at;
    GetCursorPos(&at);
    // Foreground first, or the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(options, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(options);
}

void Dialog::addfiles_Click() {
    std::wstring selection(kSelectionChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
    ofn.lpstrFile = selection.data();
    ofn.nMaxFile = static_cast<DWORD>(selection.size());
    ofn.lpstrTitle = L"Open File";
    ofn.Flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&ofn)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            prompts::Show(L"Too many files were selected at once. Please add them in smaller groups.", kAppTitle,
                          MB_OK | MB_ICONINFORMATION);
        return;
    }
    WaitCursor wait;
    auto info = ModDlgSelectFileInfo::GetSelectedFileInfo(selection);
    for (const auto& name : info.sFiles) AddCustomRow(info.sPath + name, cusd::kFile, false);
}

void Dialog::addfolders_Click() {
    BROWSEINFOW bi{};
    bi.hwndOwner = hwnd_;
    bi.lpszTitle = kAppTitle;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    ComScope com;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (!pidl) return;
    wchar_t path[MAX_PATH * 4] = {};
    BOOL ok = SHGetPathFromIDListEx(pidl, path, MAX_PATH * 4, GPFIDL_DEFAULT);
    CoTaskMemFree(pidl);
    if (!ok || !path[0]) return;
    WaitCursor wait;
    AddCustomRow(path, cusd::kFolder, false);
}

void Dialog::Command102_Click() {
    int row = ListView_GetNextItem(list2_, -1, LVNI_SELECTED);
    if (row < 0 || CellText(list2_, row, 0).empty()) return;
    ListView_DeleteItem(list2_, row);
}

void Dialog::Command2_Click() { ListView_DeleteAllItems(list2_); }

}  // namespace nv::frmsettings
