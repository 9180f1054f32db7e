#include "shell/splash_window.h"

#include "foundation/app_path.h"
#include "shell/main_window.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::Frmsplash {
namespace {

constexpr wchar_t kClass[] = L"NorvaleSplash";
constexpr UINT_PTR kTimer = 1;
constexpr COLORREF kBand = RGB(0x1e, 0x3a, 0x5f);
HWND g_splash = nullptr;

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH band = CreateSolidBrush(kBand);
    FillRect(dc, &rc, band);
    DeleteObject(band);
    RECT lower = {0, rc.bottom - ui::Px(44), rc.right, rc.bottom};
    FillRect(dc, &lower, GetSysColorBrush(COLOR_BTNFACE));

    int icon = ui::Px(48);
    if (HICON i = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, icon, icon, 0))) {
        DrawIconEx(dc, ui::Px(28), ui::Px(40), i, icon, icon, 0, nullptr, DI_NORMAL);
        DestroyIcon(i);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, ui::TitleFont());
    RECT title = {ui::Px(92), ui::Px(40), rc.right - ui::Px(16), ui::Px(72)};
    DrawTextW(dc, kAppTitle, -1, &title, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, ui::MessageFont());
    SetTextColor(dc, RGB(0xc8, 0xd6, 0xe8));
    RECT version = {ui::Px(92), ui::Px(74), rc.right - ui::Px(16), ui::Px(94)};
    DrawTextW(dc, L"Version 6.00", -1, &version, DT_LEFT | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT status = {ui::Px(16), lower.top, rc.right - ui::Px(16), rc.bottom};
    DrawTextW(dc, L"Loading, please wait...", -1, &status, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        g_splash = hwnd;
        // Splash load: the main window loads hidden, then the timer runs.
        frmMainCode::Load();
        SetTimer(hwnd, kTimer, 2000, nullptr);
        return 0;
    case WM_TIMER:
        if (wp == kTimer) Timer1_Timer();
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_DESTROY:
        if (g_splash == hwnd) g_splash = nullptr;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HWND Open() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, kAppTitle, WS_POPUP | WS_BORDER, 0, 0,
                                ui::Px(440), ui::Px(180), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return nullptr;
    ui::CenterOnScreen(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

void Timer1_Timer() {
    if (!g_splash) return;
    KillTimer(g_splash, kTimer);
    if (frmMainCode* main = frmMainCode::Instance()) main->Show();
    DestroyWindow(g_splash);
}

void CloseIfLoaded() {
    if (g_splash) DestroyWindow(g_splash);
}

HWND Window() { return g_splash; }

}  // namespace nv::Frmsplash
