#include "shell/main_window.h"

#include <commctrl.h>

#include "engine/cleaning_run.h"
#include "engine/catalogue.h"
#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/system.h"
#include "foundation/text.h"
#include "foundation/selection_profile.h"
#include "shell/splash_window.h"
#include "shell/boss_key.h"
#include "shell/closing_watch.h"
#include "ui/image_button.h"
#include "shell/dialog_openers.h"
#include "shell/details_window.h"
#include "shell/about_dialog.h"
#include "shell/notifications.h"
#include "shell/menus.h"
#include "ui/resource.h"
#include "shell/routines.h"
#include "shell/schedule.h"
#include "shell/tray.h"
#include "shell/update_check.h"
#include "ui/ui.h"

namespace nv {
namespace {

constexpr wchar_t kMainClass[] = L"NorvaleMainWindow";
constexpr wchar_t kPanelClass[] = L"NorvalePanel";
constexpr wchar_t kCaption[] = L"Norvale System Cleaner V6.00";
constexpr UINT kStartupRunMessage = WM_APP + 1;
constexpr UINT_PTR kTimer1 = 1;  // schedule, every 30 s
constexpr int kClientWidth = 752;
constexpr int kClientHeight = 526;
constexpr int kToolbarHeight = 96;
constexpr COLORREF kToolbarBack = RGB(0x1e, 0x3a, 0x5f);
constexpr wchar_t kSessionEndReason[] = L"Cleaning your traces before the session ends";

frmMainCode* g_instance = nullptr;
std::function<void()> g_exitHook;

constexpr wchar_t kAdvice[] =
    L"It's highly recommended that you shut down all other programs when erase the tracks,Norvale System Cleaner "
    L"can not erase the files which being used by other programs.";

constexpr wchar_t kHomeText[] =
    L"Norvale System Cleaner erases the traces that everyday use leaves on your computer:\r\n\r\n"
    L"\x2022  Web browsers: typed addresses, history, cache, cookies, saved form data and passwords of Internet "
    L"Explorer, Firefox, Opera, Netscape, Mozilla, Maxthon, Chrome, Safari and the AOL and MSN shells.\r\n"
    L"\x2022  Windows: recent documents, Run and search history, temporary folders, the Recycle Bin, the "
    L"clipboard and the most-recently-used lists of Explorer and its accessories.\r\n"
    L"\x2022  Office recent file lists, instant messenger logs, Outlook Express and Windows Mail traces.\r\n"
    L"\x2022  Your own files and folders, and applications described by plug-ins.\r\n\r\n"
    L"Choose what to erase with Clean Settings, then press CLEAN NOW and Start Cleaning.";

struct ToolbarEntry {
    int id;
    const wchar_t* caption;
    int icon;
};
constexpr ToolbarEntry kToolbar[] = {
    {ids::Image1, L"Main", IDI_MAIN},
    {ids::Image2, L"Clearner Settings", IDI_SETTINGS},
    {ids::Image3, L"CLEAN NOW", IDI_CLEANNOW},
    {ids::Image4, L"Search and  Erase", IDI_SEARCH},
    {ids::Image5, L"Clean Options", IDI_OPTIONS},
    {ids::Image6, L"File Shredder", IDI_SHREDDER},
    {ids::Image9, L"Clean Registry", IDI_REGISTRY},
    {ids::Image10, L"EXIT", IDI_EXIT},
};

HICON LoadIconRes(int id, int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

// Panels hold the controls of one view and pass their notifications on to
// the main window, so one window procedure handles every command.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case ImageButton::kHoverMessage:
        return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_MOUSEMOVE:
        if (g_instance) g_instance->ClearSelections();
        return 0;
    case WM_PAINT: {
        // A panel with a caption draws itself as a group frame.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        wchar_t caption[64];
        if (GetWindowTextW(hwnd, caption, 64) > 0) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            HGDIOBJ old = SelectObject(dc, ui::MessageFont());
            SIZE ext;
            GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &ext);
            RECT frame = {0, ext.cy / 2, rc.right, rc.bottom};
            DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
            RECT text = {ui::Px(8), 0, ui::Px(8) + ext.cx + ui::Px(6), ext.cy};
            FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            TextOutW(dc, ui::Px(11), 0, caption, lstrlenW(caption));
            SelectObject(dc, old);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClasses(HICON icon) {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);

    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = frmMainCode::WndProcThunk;
    wc.hIcon = icon;
    wc.hIconSm = LoadIconRes(IDI_APP, GetSystemMetrics(SM_CXSMICON));
    wc.lpszClassName = kMainClass;
    RegisterClassExW(&wc);
    done = true;
}

}  // namespace

frmMainCode* frmMainCode::Instance() { return g_instance; }

void frmMainCode::SetExitHook(std::function<void()> hook) { g_exitHook = std::move(hook); }

frmMainCode* frmMainCode::Load() {
    if (g_instance) return g_instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    auto* self = new frmMainCode;
    self->icon_ = LoadIconRes(IDI_APP, GetSystemMetrics(SM_CXICON));
    RegisterClasses(self->icon_);
    g_instance = self;

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT rc = {0, 0, ui::Px(kClientWidth), ui::Px(kClientHeight)};
    HMENU menu = menus::BuildMenuBar();
    AdjustWindowRectEx(&rc, style, TRUE, 0);
    CreateWindowExW(0, kMainClass, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left,
                    rc.bottom - rc.top, nullptr, menu, GetModuleHandleW(nullptr), self);
    if (!self->hwnd_) {
        g_instance = nullptr;
        delete self;
        return nullptr;
    }
    ui::CenterOnScreen(self->hwnd_);
    ui::SetAccelerators(self->hwnd_, menus::BuildAccelerators());
    prompts::SetOwner(self->hwnd_);
    self->Form_Load();
    return self;
}

void frmMainCode::Unload() {
    if (!g_instance) return;
    HWND h = g_instance->hwnd_;
    closingwatch::Stop();
    tray::RemoveTrayIcon();
    IEWindows::DisableBossKey(h);
    prompts::SetOwner(nullptr);
    ui::SetAccelerators(nullptr, nullptr);
    if (IsWindow(h)) DestroyWindow(h);
    delete g_instance;
    g_instance = nullptr;
}

HWND frmMainCode::control(int id) const {
    for (HWND parent : {hwnd_, frame2_, frame4_}) {
        if (!parent) continue;
        if (HWND h = GetDlgItem(parent, id)) return h;
    }
    if (id == ids::Frame2) return frame2_;
    if (id == ids::Frame4) return frame4_;
    return nullptr;
}

LRESULT CALLBACK frmMainCode::WndProcThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<frmMainCode*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmMainCode*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->WndProc(msg, wp, lp);
}

LRESULT frmMainCode::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A registered message, so no case label: without the icon, a copy
    // started with "min" would have no way back to its window.
    if (msg == tray::TaskbarCreatedMessage() && msg != 0) {
        tray::ReAddTrayIcon();
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        // From a control only its click is a command: the link label's
        // double-click must not open the site a second time.
        if (lp && HIWORD(wp) != BN_CLICKED) return 0;
        OnCommand(LOWORD(wp));
        return 0;
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMITEMACTIVATE*>(lp);
        if (n->hdr.hwndFrom == list_ && n->hdr.code == NM_DBLCLK && n->iItem >= 0) ShowDetails(n->iItem);
        return 0;
    }
    case ImageButton::kHoverMessage:
        OnImageHover(static_cast<int>(wp));
        return 0;
    case tray::kCallbackMessage:
        if (UINT event = tray::TrayEvent(hwnd_, lp)) OnTrayEvent(event);
        else ClearSelections();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) Form_Activate();
        break;
    case kStartupRunMessage:
        StartUnattendedRun();
        return 0;
    case WM_TIMER:
        if (wp == kTimer1) Timer1_Timer();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT band = {0, 0, ui::Px(kClientWidth) + 64, ui::Px(kToolbarHeight)};
        HBRUSH b = CreateSolidBrush(kToolbarBack);
        FillRect(dc, &band, b);
        DeleteObject(b);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) == control(ids::Label51)) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, RGB(0, 0x44, 0xcc));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        // The hourglass stays over the whole window while a run works.
        if (running_ && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (reinterpret_cast<HWND>(wp) == control(ids::Label51)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_QUERYENDSESSION:
        // An application asked to close for an update is not a session end.
        if (!(lp & ENDSESSION_CLOSEAPP)) CleanAtSessionEnd();
        return TRUE;
    case WM_ENDSESSION:
        if (!wp) sessionEndCleaned_ = false;  // the session goes on
        else if (!(lp & ENDSESSION_CLOSEAPP)) CleanAtSessionEnd();
        return 0;
    case WM_CLOSE:
        // Closing only hides the window: the program lives on in the tray.
        ShowWindow(hwnd_, SW_MINIMIZE);
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void frmMainCode::CreateControls() {
    CreateToolbar();
    CreateHomePanel();
    CreateStatusPanel();
    CreateTotalsStrip();
}

void frmMainCode::CreateToolbar() {
    int x = 12;
    for (const auto& t : kToolbar) {
        ImageButton::Create(hwnd_, t.id, t.caption, LoadIconRes(t.icon, ui::Px(32)), x, 8, 84, 80);
        x += 92;
    }
}

void frmMainCode::CreateHomePanel() {
    frame2_ = ui::Child(hwnd_, kPanelClass, L"", WS_CLIPCHILDREN, 10, 104, 732, 358, ids::Frame2);
    ui::Label(frame2_, kAppTitle, 20, 14, 560, 32, ids::HomeTitle, SS_LEFT, ui::TitleFont());
    ui::Label(frame2_, L"Version 6.00", 20, 48, 300, 18, ids::HomeVersion);
    ui::Label(frame2_, kHomeText, 20, 80, 580, 260, ids::HomeText);
    ImageButton::Create(frame2_, ids::Picture2, L"Help", LoadIconRes(IDI_HELP, ui::Px(32)), 624, 14, 92, 76,
                        ImageButton::Theme::Light);
}

void frmMainCode::CreateStatusPanel() {
    frame4_ = ui::Child(hwnd_, kPanelClass, L"Status", WS_CLIPCHILDREN, 10, 104, 732, 358, ids::Frame4);
    ShowWindow(frame4_, SW_HIDE);
    ui::Label(frame4_, L"", 14, 22, 704, 18, ids::SkinLabel5, SS_LEFT | SS_ENDELLIPSIS);

    list_ = ui::Child(frame4_, WC_LISTVIEWW, L"",
                      WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_NOSORTHEADER, 14,
                      44, 704, 214, ids::ListView1);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(L"Item");
    col.cx = ui::Px(330);
    ListView_InsertColumn(list_, 0, &col);
    col.pszText = const_cast<wchar_t*>(L"Status");
    col.cx = ui::Px(350);
    ListView_InsertColumn(list_, 1, &col);

    HWND bar = ui::Child(frame4_, PROGRESS_CLASSW, L"", PBS_SMOOTH, 14, 266, 704, 18, ids::coolprogressbar1);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);

    ui::Label(frame4_, kAdvice, 14, 294, 304, 56, ids::AdviceText);
    ui::Child(frame4_, L"BUTTON", L"Analyze", BS_PUSHBUTTON | WS_TABSTOP, 326, 304, 80, 30, ids::analyze::Analyze);
    HWND details = ui::Child(frame4_, L"BUTTON", L"Details", BS_PUSHBUTTON | WS_TABSTOP, 412, 304, 80, 30,
                             ids::analyze::Details);
    EnableWindow(details, FALSE);
    ui::Child(frame4_, L"BUTTON", L"Start Cleaning >>", BS_PUSHBUTTON | WS_TABSTOP, 500, 304, 132, 30, ids::Command1);
    ui::Child(frame4_, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 640, 304, 78, 30, ids::Command2);
}

void frmMainCode::CreateTotalsStrip() {
    ui::Label(hwnd_, L"Last Cleaned at:", 14, 472, 120, 18, ids::LastCleanCaption, SS_LEFT, ui::BoldFont());
    ui::Label(hwnd_, L"", 136, 472, 250, 18, ids::Label12);
    ui::Label(hwnd_, L"", 392, 472, 348, 18, ids::analyze::LabelEstimate, SS_RIGHT | SS_ENDELLIPSIS);
    ui::Label(hwnd_, L"", 14, 496, 520, 18, ids::Label14);
    ui::Label(hwnd_, kWebsiteText, 540, 496, 200, 18, ids::Label51, SS_RIGHT | SS_NOTIFY, ui::LinkFont());
}

void frmMainCode::Form_Load() {
    // 1.
    mNotificationSystem::CreateNotificationQueue();
    // 2. The windows are not skinned: plain system colours and fonts.
    // 3.
    ShowHomePanel();
    // 4.
    state_.unattended = 0;
    // 5. and 6.
    RefreshSchedule();
    // 7.
    SetLastCleanText(profile::Read(profile::kOptions, profile::opt::lastclean));
    // 8.
    state_.regCount = engine::StoredTotal(profile::Read(profile::kOptions, profile::opt::regnum));
    state_.bytes = engine::StoredTotal(profile::Read(profile::kOptions, profile::opt::filesize));
    // 9.
    ShowTotals();
    // 10. to 12.: AppData, Local AppData, the Windows folder, the IE version.
    engine::Environment env = engine::LoadEnvironment();
    state_.appData = env.appData;
    state_.localAppData = env.localAppData;
    state_.windowsFolder = env.windowsFolder;
    state_.ieMajor = env.ieMajor;
    // 13.
    tray::AddTrayIcon(hwnd_, icon_);
    // 14.
    if (profile::NumericFlag(profile::kOptions, profile::opt::bosskey)) IEWindows::EnableBossKey(hwnd_);
    SetTimer(hwnd_, kTimer1, 30000, nullptr);
    mNotificationSystem::StartPopupTimer(hwnd_);
    updatecheck::Start();
    closingwatch::Start([this](const engine::ClosingApp& app) { return RunAfterClosing(app); });
}

void frmMainCode::Form_Activate() {
    if (state_.commandLine != L"min") return;
    ShowWindow(hwnd_, SW_HIDE);
    state_.commandLine.clear();
    // The run starts once the activation itself is over.
    if (profile::NumericFlag(profile::kOptions, profile::opt::WindowsStartup))
        PostMessageW(hwnd_, kStartupRunMessage, 0, 0);
}

void frmMainCode::RefreshSchedule() {
    state_.dayFlags = profile::ReadDayMask(profile::Read(profile::kOptions, profile::opt::CleanDays));
    state_.scheduledTime = profile::Read(profile::kOptions, profile::opt::CleanTime);
}

void frmMainCode::Timer1_Timer() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    ScheduleTick(now);
}

bool frmMainCode::ScheduleTick(const SYSTEMTIME& now) {
    if (!schedule::IsDue(state_.dayFlags, state_.scheduledTime, now)) return false;
    // Ticks are 30 s apart, so two can fall into the scheduled minute.
    long long minute = schedule::MinuteOf(now);
    if (minute == lastScheduledMinute_ || !RunUnattendedThenHide()) return false;
    lastScheduledMinute_ = minute;
    return true;
}

bool frmMainCode::RunUnattendedThenHide() {
    if (running_ || engine::RunInProgressAnywhere()) return false;
    StartUnattendedRun();
    ShowWindow(hwnd_, SW_HIDE);
    return true;
}

void frmMainCode::OnTrayEvent(UINT event) {
    if (event == WM_LBUTTONUP) {
        Restore();
    } else if (event == WM_RBUTTONUP) {
        tray::ShowTrayMenu(hwnd_);
    }
}

void frmMainCode::Restore() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void frmMainCode::CleanAtSessionEnd() {
    // One clean per session end (the query and the end both ask), none
    // inside a run; the system is told why it waits, for as long as the run
    // takes and no longer.
    if (sessionEndCleaned_ || !profile::NumericFlag(profile::kOptions, profile::opt::WindowsShutdown)) return;
    if (running_ || engine::RunInProgressAnywhere()) return;
    sessionEndCleaned_ = true;
    ShutdownBlockReasonCreate(hwnd_, kSessionEndReason);
    RunUnattendedThenHide();
    ShutdownBlockReasonDestroy(hwnd_);
}

void frmMainCode::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void frmMainCode::ShowHomePanel() {
    ShowWindow(frame2_, SW_SHOW);
    ShowWindow(frame4_, SW_HIDE);
}

void frmMainCode::ShowStatusPanel() {
    ShowWindow(frame4_, SW_SHOW);
    ShowWindow(frame2_, SW_HIDE);
}

bool frmMainCode::StatusPanelVisible() const { return (GetWindowLongPtrW(frame4_, GWL_STYLE) & WS_VISIBLE) != 0; }

void frmMainCode::ClearSelections() {
    for (const auto& t : kToolbar) ImageButton::SetBorder(GetDlgItem(hwnd_, t.id), false);
}

void frmMainCode::OnImageHover(int id) {
    for (const auto& t : kToolbar) ImageButton::SetBorder(GetDlgItem(hwnd_, t.id), t.id == id);
}

void frmMainCode::showstatus(const std::wstring& label) {
    ui::PumpMessages();
    AppendRow(label);
    std::wstring text = L"Cleaning " + label + L" ......";
    SetCurrentStatus(text);
    SetAction(text);
}

void frmMainCode::AppendRow(const std::wstring& item) {
    LVITEMW it{};
    it.mask = LVIF_TEXT;
    it.iItem = ListView_GetItemCount(list_);
    it.pszText = const_cast<wchar_t*>(item.c_str());
    currentRow_ = ListView_InsertItem(list_, &it);
    ListView_EnsureVisible(list_, currentRow_, FALSE);
}

void frmMainCode::SetCurrentStatus(const std::wstring& text) {
    if (currentRow_ < 0) return;
    ListView_SetItemText(list_, currentRow_, 1, const_cast<wchar_t*>(text.c_str()));
}

void frmMainCode::ClearRows() {
    // The details and the estimate belong to the rows.
    details_.reset();
    frmDetails::Close();
    EnableWindow(control(ids::analyze::Details), FALSE);
    SetWindowTextW(control(ids::analyze::LabelEstimate), L"");
    ListView_DeleteAllItems(list_);
    currentRow_ = -1;
    UpdateWindow(list_);
}

void frmMainCode::SetProgress(int value) { SendMessageW(control(ids::coolprogressbar1), PBM_SETPOS, value, 0); }

void frmMainCode::SetAction(const std::wstring& text) { SetWindowTextW(control(ids::SkinLabel5), text.c_str()); }

void frmMainCode::ShowTotals() {
    std::wstring line = L"  Cleaned Registry Keys: " + NumberText(state_.regCount) + L"     Released HD Space:" +
                        MegabytesText(state_.bytes) + L"MB";
    SetWindowTextW(control(ids::Label14), line.c_str());
}

void frmMainCode::SetLastCleanText(const std::wstring& text) {
    state_.lastClean = text;
    SetWindowTextW(control(ids::Label12), text.c_str());
}

void frmMainCode::OnCommand(int id) {
    switch (id) {
    case ids::CleanNow1:
        ShowStatusPanel();
        CleanNow();
        break;
    case ids::Image3:
        ShowStatusPanel();
        break;
    case ids::Image1:
        ShowHomePanel();
        break;
    case ids::CleanSettings:
    case ids::settings1:
    case ids::Image2:
        dialogs::OpenCleaningSettings(hwnd_);
        break;
    case ids::CleanOptions:
    case ids::options1:
    case ids::Image5:
        dialogs::OpenOptions(hwnd_);
        break;
    case ids::SearchandErase:
    case ids::Image4:
        dialogs::OpenSearchAndErase(hwnd_);
        break;
    case ids::CleanRegistry:
    case ids::Image9:
        StartCompanion(kRegistryCleanerExe, L"Clean Registry");
        break;
    case ids::FileShredder:
    case ids::Image6:
        StartCompanion(kShredderExe, L"File Shredder");
        break;
    case ids::exit:
    case ids::exit1:
    case ids::Image10:
        ExitProgram();
        break;
    case ids::help1:
    case ids::help2:
    case ids::Picture2:
        ShowHelp();
        break;
    case ids::OurWebsite:
    case ids::web:
    case ids::Label51:
        ShellOpen(kWebsite);
        break;
    case ids::friend_:
        ShellOpen(L"mailto:");
        break;
    case ids::about:
        frmabout::ShowModal(hwnd_);
        break;
    case ids::Command1:
        CleanNow();
        break;
    case ids::restore1:
        Restore();
        break;
    case ids::cleannow2:
        RunUnattendedThenHide();
        break;
    case ids::Command2:
        if (running_) RequestCancel();
        break;
    case ids::analyze::AnalyzeMenu:
        ShowStatusPanel();
        Analyze();
        break;
    case ids::analyze::Analyze:
        Analyze();
        break;
    case ids::analyze::Details:
        ShowDetails(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
        break;
    }
}

void frmMainCode::ExitProgram() {
    Frmsplash::CloseIfLoaded();
    IEWindows::DisableBossKey(hwnd_);
    tray::RemoveTrayIcon();
    if (g_exitHook) {
        g_exitHook();
        return;
    }
    DestroyWindow(hwnd_);
    ExitProcess(0);
}

}  // namespace nv
