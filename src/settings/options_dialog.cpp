#include "settings/options_dialog.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/registry_access.h"
#include "foundation/text.h"
#include "settings/autostart.h"
#include "foundation/selection_profile.h"

namespace nv::Frmoption {
namespace {

constexpr wchar_t kUserMain[] = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kDefaultMain[] = L"HKEY_USERS\\.DEFAULT\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kMachineMain[] = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kStartPage[] = L"Start Page";
constexpr wchar_t kWindowTitle[] = L"Window Title";
constexpr wchar_t kNoStartUpEntry[] =
    L"The program cannot be loaded on Windows Start Up: neither the machine's nor your own start-up list (Run key) "
    L"could be written.";

struct FlagBox {
    int box;
    const wchar_t* key;
};
// Loaded in this order; Check1 (bosskey) and Check2 (startup) are written
// by their own steps of OK.
constexpr FlagBox kFlagBoxes[] = {
    {Check1, profile::opt::bosskey},   {Check2, profile::opt::startup},
    {Check3, profile::opt::autoclean}, {Check4, profile::opt::exit},
    {Check6, profile::opt::securely},  {Check7, profile::opt::WindowsStartup},
    {Check8, profile::opt::WindowsShutdown}, {chkAtReboot, profile::opt::atreboot},
};
constexpr std::array<int, 7> kDayBoxes = {chkSunday,   chkMonday, chkTuesday, chkWednesday,
                                          chkThursday, chkFriday, chkSaturday};

struct Page {
    const wchar_t* caption;
    int templateId;
};
constexpr Page kPages[] = {
    {L"General", IDD_General},
    {L"Schedule", IDD_Schedule},
    {L"Homepage", IDD_Homepage},
    {L"When a browser closes", IDD_WhenClosed},
};
constexpr wchar_t kNothingToWatch[] = L"No browser or application that can be watched is installed.";

struct DialogState {
    Host host;
    bool modeless = false;
    std::array<HWND, std::size(kPages)> pages{};
    std::wstring loadedHome, loadedTitle;  // as the boxes showed them at load
};

// The dialog on screen, if any: the tray menu stays usable while it is open,
// and a second copy would write over what the first one saves.
HWND g_open = nullptr;

DialogState* StateOf(HWND dlg) { return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER)); }

bool Checked(HWND dlg, int id) { return SendMessageW(Control(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND dlg, int id, bool on) {
    SendMessageW(Control(dlg, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::wstring ItemText(HWND dlg, int id) {
    HWND h = Control(dlg, id);
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

void SetItemText(HWND dlg, int id, const std::wstring& text) { SetWindowTextW(Control(dlg, id), text.c_str()); }

// The pages pass their commands on to the dialog.
INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND) {
        SendMessageW(GetParent(page), msg, wp, lp);
        return TRUE;
    }
    return FALSE;
}

void CreatePages(HWND dlg, DialogState& state) {
    HWND tab = GetDlgItem(dlg, SSTab1);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    for (int i = 0; i < static_cast<int>(std::size(kPages)); ++i) {
        item.pszText = const_cast<wchar_t*>(kPages[i].caption);
        TabCtrl_InsertItem(tab, i, &item);
    }
    // The pages fill the tab's display area, below the row of tabs.
    RECT area;
    GetWindowRect(tab, &area);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    for (size_t i = 0; i < state.pages.size(); ++i) {
        HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPages[i].templateId), dlg,
                                       PageProc, 0);
        // Above the tab control in the tab order, so Tab walks into the page.
        SetWindowPos(page, tab, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
        state.pages[i] = page;
    }
}

// What "Enable Securely Cleaning" does, and what it cannot promise.
constexpr wchar_t kSecureHelp[] =
    L"Before the run deletes a file, it overwrites the file's content with zeros through the same handle, then "
    L"truncates it, gives it a random name and deletes it. Only files the run is sure to delete are overwritten; "
    L"a file with other hard links keeps its content under its other names, and links are never followed.\r\n\r\n"
    L"Overwriting cannot be guaranteed for sparse, compressed or encrypted files, nor on SSDs, USB sticks and "
    L"memory cards, which may keep old copies of the data elsewhere. A file another program has open without "
    L"letting others write to it is deleted without being overwritten. The Recycle Bin, what the browsers clear "
    L"themselves and files deleted at restart are not overwritten.";

void AddSecureHelp(HWND dlg) {
    HWND box = Control(dlg, Check6);
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tip || !box) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = dlg;
    ti.uId = reinterpret_cast<UINT_PTR>(box);
    ti.lpszText = const_cast<wchar_t*>(kSecureHelp);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    RECT width = {0, 0, 240, 0};  // dialog units
    MapDialogRect(dlg, &width);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, width.right);
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 32000);  // long enough to read
}

// Read whole: a long home page shows as it is, and a value that cannot be
// read shows an empty box.
std::wstring IEValue(const wchar_t* name) { return regfun::ReadString(kUserMain, name).value_or(L""); }

void Form_Load(HWND dlg) {
    DialogState& state = *StateOf(dlg);
    // 1. The dialog is not skinned.
    // 2. What is shown is kept: OK writes a value back only when its box changed.
    state.loadedHome = IEValue(kStartPage);
    state.loadedTitle = IEValue(kWindowTitle);
    SetItemText(dlg, Text1, state.loadedHome);
    SetItemText(dlg, Text2, state.loadedTitle);
    // 3.
    for (const FlagBox& f : kFlagBoxes) SetCheck(dlg, f.box, profile::NumericFlag(profile::kOptions, f.key));
    // 4.
    HWND combo = Control(dlg, cmbStartTime);
    for (int h = 0; h < 24; ++h)
        for (const wchar_t* m : {L":00", L":30"})
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((std::to_wstring(h) + m).c_str()));
    // 5. Only the digit 1 checks a day; Saturday is the text's last character.
    auto days = profile::ReadDayMask(profile::Read(profile::kOptions, profile::opt::CleanDays));
    for (size_t i = 0; i < kDayBoxes.size(); ++i) SetCheck(dlg, kDayBoxes[i], days[i] == L"1");
    // 6. A time that is not one of the entries is shown as it is stored.
    std::wstring time = profile::Read(profile::kOptions, profile::opt::CleanTime);
    LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(time.c_str()));
    if (!time.empty() && at != CB_ERR) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    else SetWindowTextW(combo, time.c_str());
}

// One box per application the host lists, ticked as the profile says.
void LoadClosingBoxes(HWND dlg, const Host& host) {
    HWND list = Control(dlg, lstWhenClosed);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH;
    RECT r;
    GetClientRect(list, &r);
    col.cx = r.right - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, 0, &col);
    for (const ClosingBox& b : host.closingBoxes) {
        LVITEMW it{};
        it.mask = LVIF_TEXT;
        it.iItem = ListView_GetItemCount(list);
        it.pszText = const_cast<wchar_t*>(b.caption.c_str());
        const int row = ListView_InsertItem(list, &it);
        ListView_SetCheckState(list, row, profile::TextFlag(profile::kWhenClosed, b.key));
    }
    if (host.closingBoxes.empty()) {
        SetItemText(dlg, LabelWhenClosed, kNothingToWatch);
        EnableWindow(list, FALSE);
    }
}

void Warn(HWND dlg, const std::wstring& text) {
    HWND previous = prompts::SetOwner(dlg);
    prompts::Show(text, kAppTitle, MB_OK | MB_ICONWARNING);
    prompts::SetOwner(previous);
}

// Writes one Internet Explorer value into the three keys, when its box was
// changed; an empty box writes one blank. Keys that do not exist stay missing.
void WriteIEValue(HWND dlg, int box, const std::wstring& loaded, const wchar_t* name) {
    std::wstring text = ItemText(dlg, box);
    if (text == loaded) return;
    if (text.empty()) text = L" ";
    for (const wchar_t* key : {kDefaultMain, kUserMain, kMachineMain}) regfun::SetRegValue(key, name, text);
}

// False when something could not be stored: the user has been told and the
// dialog stays open.
bool Command1_Click(HWND dlg, const Host& host) {
    using namespace profile::opt;
    const wchar_t* options = profile::kOptions;
    // 3. Only a change is written and applied; a stored value that is no
    // number counts as neither on nor off.
    auto stored = ParseNumber(profile::Read(options, bosskey));
    const bool boss = Checked(dlg, Check1);
    const bool bossChanged = boss ? (!stored || *stored != 1) : (!stored || *stored != 0);
    // 5.-7. The profile first: when it cannot be written, nothing else is
    // applied, and the user is told which file refused.
    const std::pair<const wchar_t*, bool> flags[] = {{startup, Checked(dlg, Check2)},
                                                     {autoclean, Checked(dlg, Check3)},
                                                     {exit, Checked(dlg, Check4)},
                                                     {securely, Checked(dlg, Check6)},
                                                     {WindowsStartup, Checked(dlg, Check7)},
                                                     {WindowsShutdown, Checked(dlg, Check8)},
                                                     {atreboot, Checked(dlg, chkAtReboot)}};
    bool written = !bossChanged || profile::Write(options, bosskey, boss ? L"1" : L"0");
    for (const auto& [key, on] : flags) written = profile::Write(options, key, profile::CheckValue(on)) && written;
    std::array<bool, 7> days{};
    for (size_t i = 0; i < kDayBoxes.size(); ++i) days[i] = Checked(dlg, kDayBoxes[i]);
    written = profile::Write(options, CleanDays, profile::JoinDayMask(days)) && written;
    written = profile::Write(options, CleanTime, ItemText(dlg, cmbStartTime)) && written;
    HWND closing = Control(dlg, lstWhenClosed);
    for (size_t i = 0; i < host.closingBoxes.size(); ++i)
        written = profile::Write(profile::kWhenClosed, host.closingBoxes[i].key,
                                 profile::CheckValue(ListView_GetCheckState(closing, static_cast<int>(i)))) &&
                  written;
    if (!written) {
        const std::wstring files[] = {profile::ProfilePath()};
        Warn(dlg, profile::UnsavedText(files));
        return false;
    }
    // 1.-2.
    const DialogState& state = *StateOf(dlg);
    WriteIEValue(dlg, Text1, state.loadedHome, kStartPage);
    WriteIEValue(dlg, Text2, state.loadedTitle, kWindowTitle);
    // 3.
    if (bossChanged && boss && host.EnableBossKey) host.EnableBossKey();
    if (bossChanged && !boss && host.DisableBossKey) host.DisableBossKey();
    // 8.
    if (host.RefreshSchedule) host.RefreshSchedule();
    if (host.RefreshClosingWatch) host.RefreshClosingWatch();
    // 4. The box and the profile say what was written: a tick that starts
    // nothing would be a failure reported as success.
    if (!Checked(dlg, Check2)) {
        autostart::Disable(host.machineRoot, host.userRoot);
    } else if (autostart::Enable(host.machineRoot, host.userRoot) == autostart::Where::Nowhere) {
        SetCheck(dlg, Check2, false);
        profile::Write(options, startup, L"0");
        Warn(dlg, kNoStartUpEntry);
        return false;
    }
    return true;
}

void Close(HWND dlg, int result) {
    if (StateOf(dlg)->modeless) DestroyWindow(dlg);
    else EndDialog(dlg, result);
}

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        g_open = dlg;
        CreatePages(dlg, *reinterpret_cast<DialogState*>(lp));
        AddSecureHelp(dlg);
        Form_Load(dlg);
        LoadClosingBoxes(dlg, StateOf(dlg)->host);
        SelectPage(dlg, 0);
        // Opened from the tray, the dialog must come to the front.
        SetForegroundWindow(dlg);
        return TRUE;
    }
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->idFrom == SSTab1 && hdr->code == TCN_SELCHANGE) SelectPage(dlg, TabCtrl_GetCurSel(hdr->hwndFrom));
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case Command1:
            if (Command1_Click(dlg, StateOf(dlg)->host)) Close(dlg, IDOK);
            return TRUE;
        case Command2:
            Close(dlg, IDCANCEL);
            return TRUE;
        case chkDaily:
            if (HIWORD(wp) == BN_CLICKED) {
                bool all = Checked(dlg, chkDaily);
                for (int id : kDayBoxes) SetCheck(dlg, id, all);
            }
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        if (g_open == dlg) g_open = nullptr;
        if (DialogState* state = StateOf(dlg); state && state->modeless) delete state;
        break;
    }
    return FALSE;
}

void InitTabClass() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

}  // namespace

void ShowModal(HWND owner, const Host& host) {
    if (g_open) {
        SetForegroundWindow(g_open);
        return;
    }
    InitTabClass();
    DialogState state{host, false};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD), owner, Proc, reinterpret_cast<LPARAM>(&state));
}

HWND Create(HWND owner, const Host& host) {
    InitTabClass();
    auto* state = new DialogState{host, true};
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD), owner, Proc,
                                  reinterpret_cast<LPARAM>(state));
    if (!dlg) delete state;
    return dlg;
}

void SelectPage(HWND dlg, int page) {
    TabCtrl_SetCurSel(GetDlgItem(dlg, SSTab1), page);
    const auto& pages = StateOf(dlg)->pages;
    for (size_t i = 0; i < pages.size(); ++i) ShowWindow(pages[i], static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
}

HWND Control(HWND dlg, int id) {
    if (HWND h = GetDlgItem(dlg, id)) return h;
    if (DialogState* state = StateOf(dlg))
        for (HWND page : state->pages)
            if (HWND h = page ? GetDlgItem(page, id) : nullptr) return h;
    return nullptr;
}

}  // namespace nv::Frmoption
