#include "ui/ui.h"

#include <vector>

#include "foundation/handles.h"

namespace nv::ui {
namespace {

HWND g_accelWindow = nullptr;
HACCEL g_accel = nullptr;

int Dpi() {
    static int dpi = [] {
        HDC dc = GetDC(nullptr);
        int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

LOGFONTW BaseLogFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return ncm.lfMessageFont;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, Dpi(), 72);
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return lf;
}

HFONT MakeFont(int weight, int heightPoints, bool underline) {
    LOGFONTW lf = BaseLogFont();
    lf.lfWeight = weight;
    if (heightPoints) lf.lfHeight = -MulDiv(heightPoints, Dpi(), 72);
    lf.lfUnderline = underline ? TRUE : FALSE;
    return CreateFontIndirectW(&lf);
}

bool TranslateForMain(MSG& msg) {
    return g_accel && g_accelWindow && IsWindow(g_accelWindow) &&
           (msg.hwnd == g_accelWindow || IsChild(g_accelWindow, msg.hwnd)) &&
           TranslateAcceleratorW(g_accelWindow, g_accel, &msg);
}

}  // namespace

int Px(int designPixels) { return MulDiv(designPixels, Dpi(), 96); }

HFONT MessageFont() {
    static HFONT f = MakeFont(FW_NORMAL, 0, false);
    return f;
}
HFONT BoldFont() {
    static HFONT f = MakeFont(FW_BOLD, 0, false);
    return f;
}
HFONT TitleFont() {
    static HFONT f = MakeFont(FW_BOLD, 16, false);
    return f;
}
HFONT LinkFont() {
    static HFONT f = MakeFont(FW_NORMAL, 0, true);
    return f;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
           DWORD exStyle) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(w), Px(h), parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
    return hwnd;
}

HWND Label(HWND parent, const wchar_t* text, int x, int y, int w, int h, int id, DWORD style, HFONT font) {
    HWND hwnd = Child(parent, L"STATIC", text, style, x, y, w, h, id);
    if (hwnd && font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

std::wstring GetText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (TranslateForMain(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void SetAccelerators(HWND window, HACCEL table) {
    g_accelWindow = window;
    g_accel = table;
}

int MessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateForMain(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void CenterOnScreen(HWND hwnd) {
    RECT wa, rc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(hwnd, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    SetWindowPos(hwnd, nullptr, wa.left + (wa.right - wa.left - w) / 2, wa.top + (wa.bottom - wa.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// DLGTEMPLATE, no menu, default class, the title, no controls; WORD aligned.
std::vector<WORD> EmptyTemplate(DWORD style, const wchar_t* title) {
    // style, extended style, item count, x, y, cx, cy: 9 words; then menu and class.
    std::vector<WORD> t(9 + 2, 0);
    t[0] = LOWORD(style);
    t[1] = HIWORD(style);
    for (const wchar_t* c = title ? title : L""; *c; ++c) t.push_back(static_cast<WORD>(*c));
    t.push_back(0);
    t.push_back(0);  // keeps the buffer whole for the alignment the loader expects
    return t;
}

}  // namespace

INT_PTR CodeDialogModal(HWND owner, DWORD style, const wchar_t* title, DLGPROC proc, LPARAM param) {
    std::vector<WORD> t = EmptyTemplate(style, title);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), owner, proc,
                                   param);
}

HWND CodeDialog(HWND parent, DWORD style, const wchar_t* title, DLGPROC proc, LPARAM param) {
    std::vector<WORD> t = EmptyTemplate(style, title);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), parent,
                                      proc, param);
}

HWND FindControl(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(h) != s->id) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace nv::ui
