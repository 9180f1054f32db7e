#include "search/search_window.h"

#include <commctrl.h>

#include <algorithm>
#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "search/extension_list.h"
#include "search/deletion.h"
#include "search/search_options_dialog.h"
#include "search/user_settings.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::search {
namespace {

namespace id = ids::locate;
using usersettings::GetSetting;
using usersettings::SaveSetting;

ModelessSlot<frmLocate> g_modeless;

constexpr wchar_t kCaption[] = L"Search && Erase";
constexpr wchar_t kFind[] = L"&Find Files";
constexpr wchar_t kExit[] = L"E&xit";
constexpr wchar_t kStop[] = L"&Stop";
constexpr int kInitialExtent = 700;
constexpr ULONGLONG kPumpEveryMs = 15;

constexpr wchar_t kRiskQuestion[] =
    L"Deleting file from your Hard Disk is risky... make sure you know what your doing!\r\n"
    L"Do you want to continue?\r\n"
    L"(if you click yes, this message will no apear again)";
constexpr wchar_t kDeleteDirs[] = L"c:\\windows\\temp\\;C:\\WINDOWS\\Temporary Internet Files\\;";

// A stored flag as the settings store's readers take it: "0" and "False"
// are off, anything else (the default "1" included) is on.
bool SettingIsOn(const std::wstring& value) {
    const std::wstring v = ToLower(TrimBlanks(value));
    if (v == L"false") return false;
    auto n = ParseNumber(v);
    return !n || *n != 0;
}

// Enter in the search string starts a search; the dialog manager is told
// the edit wants the key, so it does not go to a default button instead.
LRESULT CALLBACK Text1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_GETDLGCODE && wp == VK_RETURN) return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
    if (msg == WM_CHAR && wp == VK_RETURN) {
        reinterpret_cast<frmLocate*>(ref)->Text1_KeyPress(L'\r');
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void frmLocate::ShowModal(HWND owner, Hooks hooks) {
    frmLocate window(std::move(hooks));
    window.RunModal(owner);
}

frmLocate* frmLocate::Load(HWND owner, Hooks hooks) {
    return g_modeless.Load(std::unique_ptr<frmLocate>(new frmLocate(std::move(hooks))), owner);
}

void frmLocate::Unload() {
    g_modeless.Unload();
}

frmLocate::~frmLocate() {
    if (folderIcon_) DestroyIcon(folderIcon_);
    if (openFolderIcon_) DestroyIcon(openFolderIcon_);
}

bool frmLocate::OnInit() {
    SetWindowTextW(hwnd_, kCaption);
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu(), options = CreatePopupMenu(), help = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, id::menuExit, L"E&xit");
    AppendMenuW(options, MF_STRING, id::menuOptions, L"Op&tions");
    AppendMenuW(options, MF_STRING, id::menuResetAll, L"&Reset All");
    AppendMenuW(help, MF_STRING, id::menuAbout, L"Abou&t");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(options), L"&Options");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    SetMenu(hwnd_, bar);
    SetClientSize(640, 500);
    CreateControls();
    Form_Load();
    SetFocus(control(id::Text1));
    return false;
}

void frmLocate::CreateControls() {
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
    ui::Child(hwnd_, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 10, 250, 220, id::Drive1);
    ui::Child(hwnd_, L"LISTBOX", L"",
              WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 10,
              40, 250, 170, id::Dir1, WS_EX_CLIENTEDGE);
    ui::Label(hwnd_, L"Search String", 275, 12, 200, 16, id::Label1);
    HWND text1 = ui::Child(hwnd_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 275, 30, 355, 22, id::Text1,
                           WS_EX_CLIENTEDGE);
    SetWindowSubclass(text1, Text1Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    ui::Child(hwnd_, L"BUTTON", L"Find Fi&les", button, 275, 60, 110, 26, id::cmdAction0);
    ui::Child(hwnd_, L"BUTTON", kExit, button, 395, 60, 110, 26, id::cmdAction1);
    ui::Child(hwnd_, L"BUTTON", L"Search and clean options", BS_GROUPBOX, 275, 94, 355, 116, id::Options);
    ui::Child(hwnd_, L"BUTTON", L"Delete to RecycleBin", check, 287, 114, 200, 20, id::chkDelType);
    ui::Child(hwnd_, L"BUTTON", L"Include Sub Directories", check, 287, 138, 200, 20, id::Check1);
    ui::Child(hwnd_, L"BUTTON", L"Option&s", button, 520, 112, 98, 26, id::cmdOption);
    ui::Child(hwnd_, L"BUTTON", L"&Delete selected", button, 287, 172, 110, 26, id::cmdDelete);
    ui::Child(hwnd_, L"BUTTON", L"Sele&ct All", button, 403, 172, 105, 26, id::cmdSelectAll);
    ui::Child(hwnd_, L"BUTTON", L"Select N&one", button, 514, 172, 104, 26, id::cmdUnSelectAll);
    HWND frame = ui::Child(hwnd_, L"BUTTON", L"", BS_GROUPBOX, 10, 216, 620, 214, id::Frame1);
    ShowWindow(frame, SW_HIDE);
    ui::Child(hwnd_, L"LISTBOX", L"",
              WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, 18, 230,
              604, 192, id::List1, WS_EX_CLIENTEDGE);
    ui::Label(hwnd_, L"", 10, 436, 620, 56, id::Status, SS_LEFT | SS_NOPREFIX);
}

void frmLocate::Form_Load() {
    const std::wstring appPath = WithTrailingBackslash(AppFolder());
    SaveSetting(L"StartUp", L"AppPath", appPath);
    SetChecked(id::chkDelType, true);
    SetChecked(id::Check1, true);
    SaveSetting(L"StartUp", L"Recycele", L"1");
    SaveSetting(L"StartUp", L"SubFolders", L"1");
    SaveSetting(L"General", L"TipNumber", L"1");
    SaveSetting(L"General", L"Prompt", L"1");
    // Pointing the lists at the folder starts no search: the search string
    // is not there yet.
    dir1Path_ = allerase::NormalizePath(appPath);
    FillDrive1();
    FillDir1();
    SetWindowTextW(control(id::cmdAction0), kFind);
    if (auto filter = ExtentionHandller::GetExtensionFilter()) {
        SetWindowTextW(control(id::Text1), filter->c_str());
    } else if (GetFileAttributesW(ExtentionHandller::ExtFile().c_str()) == INVALID_FILE_ATTRIBUTES) {
        // No list at all: start from the default one, stored so that the
        // extension list shows what the search string holds.
        ExtentionHandller::WriteDefaultExtensions();
        SetWindowTextW(control(id::Text1), ExtentionHandller::kDefaultFilter);
    }
    ShowWindow(control(id::Frame1), SW_SHOW);
    SendMessageW(control(id::List1), LB_SETHORIZONTALEXTENT, ui::Px(kInitialExtent), 0);
}

bool frmLocate::Checked(int ctl) const { return SendMessageW(control(ctl), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void frmLocate::SetChecked(int ctl, bool on) {
    SendMessageW(control(ctl), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- the search ----

void frmLocate::cmdAction_Click(int index) {
    SendMessageW(control(id::List1), LB_SETHORIZONTALEXTENT, ui::Px(kInitialExtent), 0);
    StopRequested = false;
    const std::wstring caption = ui::GetText(control(index == 0 ? id::cmdAction0 : id::cmdAction1));
    if (caption == kFind) {
        if (busy_) return;  // never a search inside a search
        ClearList();
        RunSearch();
    } else if (caption == kExit) {
        RequestClose();
    } else if (caption == kStop) {
        StopRequested = true;
        SetWindowTextW(control(id::cmdAction1), kExit);
    }
}

void frmLocate::Text1_KeyPress(wchar_t key) {
    if (key == L'\r') cmdAction_Click(0);
}

void frmLocate::Text1_Change() {
    HWND find = control(id::cmdAction0);
    if (!busy_ && GetWindowTextLengthW(control(id::Text1)) > 0 && !IsWindowEnabled(find)) EnableWindow(find, TRUE);
}

void frmLocate::Dir1_Change() {
    if (busy_) return;
    SaveSetting(L"StartUp", L"AppPath", dir1Path_);
    ClearList();
    StopRequested = false;
    RunSearch();
    if (!StopRequested && hwnd_) SetWindowTextW(control(id::cmdAction1), kExit);
}

void frmLocate::RunSearch() {
    SetBusy(true);
    SetWindowTextW(control(id::cmdAction1), kStop);
    widest_ = 0;
    pending_.clear();
    const FindResult r = FindFiles(dir1Path_, ui::GetText(control(id::Text1)), Checked(id::Check1), *this);
    Flush();
    SetBusy(false);
    HWND list = control(id::List1);
    if (!r.ran) {
        SetWindowTextW(control(id::cmdAction1), kExit);
    } else if (!r.stopped) {
        SendMessageW(list, LB_SETHORIZONTALEXTENT, widest_ + ui::Px(8), 0);
        const auto found = static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        SetWindowTextW(control(id::Status), SummaryText(r.patterns, found, r.totalBytes).c_str());
        SendMessageW(list, LB_SETSEL, TRUE, -1);
        SetWindowTextW(control(id::cmdAction1), kExit);
    }
    // A close asked for during the search happens once it has unwound.
    if (closePending_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void frmLocate::Found(std::wstring line, size_t pathLength) { pending_.emplace_back(std::move(line), pathLength); }

bool frmLocate::Pump(const std::wstring& folder) {
    Flush();
    SetWindowTextW(control(id::Status), folder.c_str());
    PumpMessages();
    return StopRequested;
}

// Found lines go into the list in batches, with redrawing off, and each is
// measured so that the widest can be scrolled into view: by a table of
// character widths, as one text-extent call per line would cost a third of
// the walk with many matches.
void frmLocate::Flush() {
    if (pending_.empty()) return;
    HWND list = control(id::List1);
    size_t bytes = 0;
    for (const auto& p : pending_) bytes += (p.first.size() + 1) * sizeof(wchar_t);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, pending_.size(), bytes);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    INT widths[256] = {};
    const bool table = GetCharWidth32W(dc, 0, 255, widths);
    for (const auto& [line, pathLength] : pending_) {
        if (SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())) < 0) continue;
        pathLengths_.push_back(pathLength);
        int width = 0;
        for (wchar_t ch : line) {
            if (!table || ch > 255) {
                SIZE size{};
                GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
                width = size.cx;
                break;
            }
            width += widths[ch];
        }
        widest_ = std::max(widest_, width);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    pending_.clear();
}

void frmLocate::PumpMessages() {
    lastPump_ = GetTickCount64();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: stop, close, and leave the quit for the
            // main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            StopRequested = true;
            closePending_ = true;
            return;
        }
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void frmLocate::MaybePump() {
    if (GetTickCount64() - lastPump_ >= kPumpEveryMs) PumpMessages();
}

void frmLocate::SetBusy(bool on) {
    busy_ = on;
    const int blocked[] = {id::cmdAction0, id::Drive1, id::Dir1, id::cmdDelete};
    HWND focus = GetFocus();
    for (int ctl : blocked) {
        if (on && focus == control(ctl)) SetFocus(control(id::cmdAction1));
        EnableWindow(control(ctl), on ? FALSE : TRUE);
    }
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void frmLocate::RequestClose() {
    if (busy_) {
        StopRequested = true;
        closePending_ = true;
        return;
    }
    Close();
}

// ---- selection and deletion ----

void frmLocate::cmdSelectAll_Click() { SendMessageW(control(id::List1), LB_SETSEL, TRUE, -1); }

void frmLocate::cmdUnSelectAll_Click() { SendMessageW(control(id::List1), LB_SETSEL, FALSE, -1); }

void frmLocate::ClearList() {
    SendMessageW(control(id::List1), LB_RESETCONTENT, 0, 0);
    pathLengths_.clear();
}

// The window keeps how long each line's path is: a path may hold two blanks
// in a row, so a line is never cut at the first ones.
std::vector<std::wstring> frmLocate::SelectedPaths() const {
    HWND list = control(id::List1);
    const LRESULT n = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    std::vector<int> sel(n > 0 ? static_cast<size_t>(n) : 0);
    if (!sel.empty()) SendMessageW(list, LB_GETSELITEMS, sel.size(), reinterpret_cast<LPARAM>(sel.data()));
    std::vector<std::wstring> paths;
    for (int i : sel) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        line.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
        paths.push_back(line.substr(0, static_cast<size_t>(i) < pathLengths_.size() ? pathLengths_[i] : line.size()));
    }
    return paths;
}

void frmLocate::cmdDelete_Click() {
    if (busy_) return;
    if (SettingIsOn(GetSetting(L"General", L"Prompt", L"1"))) {
        if (prompts::Show(kRiskQuestion, L"Note", MB_YESNO | MB_ICONWARNING) != IDYES) return;
        SaveSetting(L"General", L"Prompt", L"0");
    }
    SetBusy(true);
    DeleteSelected(SelectedPaths(), Checked(id::chkDelType));
    SetBusy(false);
    if (closePending_) {
        Close();
        return;
    }
    ClearList();
    SetChecked(id::Check1, false);
    Check1_Click();
    RunSearch();
    SetWindowTextW(control(id::cmdAction1), kExit);
}

// Files that cannot be deleted are skipped. A Recycle Bin delete never
// turns into a permanent one unasked: the files the bin cannot take are
// deleted for good only when the user says so.
void frmLocate::DeleteSelected(const std::vector<std::wstring>& paths, bool recycle) {
    std::vector<std::wstring> cannotRecycle;
    RecycleProbe probe;
    for (const auto& path : paths) {
        MaybePump();
        if (StopRequested) return;
        if (!recycle) {
            DeleteForGood(path);
        } else if (ExtentionHandller::SendToRecycleBin(path, hwnd_, &probe) ==
                   ExtentionHandller::Recycled::CannotRecycle) {
            cannotRecycle.push_back(path);
        }
    }
    if (cannotRecycle.empty()) return;
    const std::wstring text =
        cannotRecycle.size() == 1
            ? L"This file cannot be moved to the Recycle Bin:\r\n" + cannotRecycle[0] +
                  L"\r\n\r\nDelete it for good?"
            : std::to_wstring(cannotRecycle.size()) + L" files cannot be moved to the Recycle Bin, among them:\r\n" +
                  cannotRecycle[0] + L"\r\n\r\nDelete them for good?";
    if (prompts::Show(text, L"Delete to RecycleBin", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;
    for (const auto& path : cannotRecycle) {
        MaybePump();
        if (StopRequested) return;
        DeleteForGood(path);
    }
}

// ---- options ----

void frmLocate::Check1_Click() { SaveSetting(L"StartUp", L"SubFolders", Checked(id::Check1) ? L"1" : L"0"); }

void frmLocate::chkDelType_Click() { SaveSetting(L"StartUp", L"Recycele", Checked(id::chkDelType) ? L"1" : L"0"); }

void frmLocate::cmdOption_Click() {
    frmExtentions::ShowModal(hwnd_, [this](const std::wstring& filter) {
        if (hwnd_) SetWindowTextW(control(id::Text1), filter.c_str());
    });
}

void frmLocate::menuResetAll_Click() {
    const double uses = ParseNumber(GetSetting(L"General", L"Uses", L"1")).value_or(1);
    if (uses > 2 &&
        prompts::Show(L"Do you want to reset all of the parameters to default? ", L"Are you sure?", MB_YESNO) != IDYES)
        return;
    SaveSetting(L"StartUp", L"AppPath", WithTrailingBackslash(AppFolder()));
    SaveSetting(L"StartUp", L"Log", L"1");
    SetChecked(id::chkDelType, true);
    chkDelType_Click();
    SetChecked(id::Check1, true);
    Check1_Click();
    SaveSetting(L"General", L"Tips", L"1");
    SaveSetting(L"General", L"TipNumber", L"1");
    SaveSetting(L"General", L"Prompt", L"1");
    SaveSetting(L"General", L"DeleteDirs", kDeleteDirs);
    SaveSetting(L"General", L"MaxLogSize", L"80");
    ExtentionHandller::WriteDefaultExtensions();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- messages ----

void frmLocate::OnCommand(int ctl, int code) {
    switch (ctl) {
    case id::cmdAction0:
    case id::cmdAction1:
        if (code == BN_CLICKED) cmdAction_Click(ctl == id::cmdAction0 ? 0 : 1);
        break;
    case id::Text1:
        if (code == EN_CHANGE) Text1_Change();
        break;
    case id::Drive1:
        if (code == CBN_SELCHANGE) Drive1_Change();
        break;
    case id::Dir1:
        if (code == LBN_DBLCLK) OpenSelectedDir();
        break;
    case id::Check1:
        if (code == BN_CLICKED) Check1_Click();
        break;
    case id::chkDelType:
        if (code == BN_CLICKED) chkDelType_Click();
        break;
    case id::cmdSelectAll: cmdSelectAll_Click(); break;
    case id::cmdUnSelectAll: cmdUnSelectAll_Click(); break;
    case id::cmdDelete: cmdDelete_Click(); break;
    case id::cmdOption:
    case id::menuOptions: cmdOption_Click(); break;
    case id::menuResetAll: menuResetAll_Click(); break;
    case id::menuAbout:
        if (hooks_.showAbout) hooks_.showAbout(hwnd_);
        break;
    case id::menuExit:
    case IDCANCEL: RequestClose(); break;
    case IDOK:  // Enter outside the search string
        if (GetFocus() == control(id::Dir1)) OpenSelectedDir();
        break;
    }
}

bool frmLocate::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return true;
    case WM_CLOSE:
        RequestClose();
        return true;
    case WM_SETCURSOR:
        // The hourglass while busy, but an arrow over the Stop button.
        if (!busy_ || reinterpret_cast<HWND>(wp) == control(id::cmdAction1)) return false;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        result = TRUE;
        return true;
    case WM_MEASUREITEM: {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (m->CtlID != id::Dir1) return false;
        m->itemHeight = static_cast<UINT>(ui::Px(18));
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM:
        if (!DrawDir1Item(*reinterpret_cast<DRAWITEMSTRUCT*>(lp))) return false;
        result = TRUE;
        return true;
    }
    return false;
}

}  // namespace nv::search
