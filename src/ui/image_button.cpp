#include "ui/image_button.h"

#include "ui/ui.h"

namespace nv::ImageButton {
namespace {

constexpr wchar_t kClass[] = L"NorvaleImageButton";
constexpr COLORREF kDarkBack = RGB(0x1e, 0x3a, 0x5f);

struct State {
    HICON icon = nullptr;
    bool border = false;
    bool pressed = false;
    Theme theme = Theme::Dark;
};

State* Get(HWND hwnd) { return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void Paint(HWND hwnd, State& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool dark = s.theme == Theme::Dark;
    HBRUSH back = dark ? CreateSolidBrush(kDarkBack) : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &rc, back);
    if (dark) DeleteObject(back);

    int iconSize = ui::Px(32);
    int top = ui::Px(8) + (s.pressed ? 1 : 0);
    if (s.icon)
        DrawIconEx(dc, (rc.right - iconSize) / 2, top, s.icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);

    wchar_t text[128];
    GetWindowTextW(hwnd, text, 128);
    RECT tr = {ui::Px(2), top + iconSize + ui::Px(4), rc.right - ui::Px(2), rc.bottom - ui::Px(2)};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, dark ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(dc, ui::MessageFont());
    DrawTextW(dc, text, -1, &tr, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    if (s.border) {
        HPEN pen = CreatePen(PS_SOLID, 1, dark ? RGB(255, 255, 255) : GetSysColor(COLOR_HIGHLIGHT));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 0, 0, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    State* s = Get(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        break;
    }
    case WM_NCDESTROY:
        delete s;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_PAINT:
        if (s) Paint(hwnd, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        SendMessageW(GetParent(hwnd), kHoverMessage, GetDlgCtrlID(hwnd), 0);
        return 0;
    case WM_LBUTTONDOWN:
        if (s) s->pressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        bool was = s && s->pressed;
        if (s) s->pressed = false;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (was && PtInRect(&rc, pt))
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    case BM_CLICK:
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
    case WM_SETTEXT:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Register() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    done = true;
}

}  // namespace

HWND Create(HWND parent, int id, const wchar_t* caption, HICON icon, int x, int y, int w, int h, Theme theme) {
    Register();
    auto* s = new State;
    s->icon = icon;
    s->theme = theme;
    HWND hwnd = CreateWindowExW(0, kClass, caption, WS_CHILD | WS_VISIBLE, ui::Px(x), ui::Px(y), ui::Px(w), ui::Px(h),
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), s);
    if (!hwnd) delete s;
    return hwnd;
}

void SetBorder(HWND button, bool on) {
    State* s = Get(button);
    if (!s || s->border == on) return;
    s->border = on;
    InvalidateRect(button, nullptr, FALSE);
}

bool HasBorder(HWND button) {
    State* s = Get(button);
    return s && s->border;
}

}  // namespace nv::ImageButton
