#include "shell/notification_popup.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/app_path.h"

namespace nv {
namespace {

constexpr wchar_t kClassName[] = L"NorvaleNotification";
constexpr UINT_PTR kControllerTimer = 1;

// Design layout in pixels at 96 dpi (client 3300 x 690 twips).
constexpr int kDesignWidth = 220, kDesignHeight = 46;
constexpr int kImageLeft = 8, kImageTop = 8, kImageSize = 32;
constexpr int kLabelLeft = 48, kTitleTop = 8, kDescriptionTop = 24, kRightPadding = 10;

constexpr COLORREF kBackColor = RGB(250, 251, 253);
constexpr COLORREF kBorderColor = RGB(140, 156, 178);
constexpr COLORREF kTitleColor = RGB(24, 52, 92);
constexpr COLORREF kTextColor = RGB(56, 56, 56);
constexpr COLORREF kAccentColor = RGB(0, 114, 206);

bool RegisterPopupClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW wc{sizeof wc};
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc = {sizeof wc};
    wc.style = CS_DROPSHADOW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

HFONT MakeTahoma(int dpiY, bool bold) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(825, dpiY, 7200);  // 8.25 pt
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

SIZE TextSize(HWND hwnd, HFONT font, const std::wstring& text) {
    RECT r{0, 0, 0, 0};
    HDC dc = GetDC(hwnd);
    if (!dc) return {0, 0};
    HGDIOBJ old = SelectObject(dc, font);
    // The same flags the label draws with, so the measured text fits it.
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return {text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    auto ch = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// The built-in image: a white check mark on a blue disc, on the popup's
// background, drawn with 4 x 4 samples per pixel so its edges are smooth.
HBITMAP MakeBuiltInImage(int size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) return bmp;
    auto* px = static_cast<uint32_t*>(bits);
    const double unit = 32.0 / size;  // design units (a 32-unit square) per pixel
    constexpr int kSamples = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int disc = 0, tick = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    double u = (x + (sx + 0.5) / kSamples) * unit, v = (y + (sy + 0.5) / kSamples) * unit;
                    if (std::hypot(u - 16, v - 16) <= 15) ++disc;
                    double d = std::min(DistanceToSegment(u, v, 9, 16.5, 14, 21.5),
                                        DistanceToSegment(u, v, 14, 21.5, 23.5, 11));
                    if (d <= 1.9) ++tick;
                }
            }
            constexpr double n = kSamples * kSamples;
            COLORREF c = Mix(kBackColor, kAccentColor, disc / n);
            c = Mix(c, RGB(255, 255, 255), tick / n);
            px[y * size + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    return bmp;
}

HWND MakeLabel(HWND parent, int id, const wchar_t* caption, DWORD extraStyle, HFONT font) {
    HWND h = CreateWindowExW(0, L"STATIC", caption,
                             WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | extraStyle, 0, 0, 0,
                             0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    if (h) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

}  // namespace

std::shared_ptr<frmNotification> frmNotification::Load() {
    std::shared_ptr<frmNotification> form(new frmNotification);
    if (!form->Form_Load()) return nullptr;
    return form;
}

bool frmNotification::Form_Load() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterPopupClass(instance, WndProc)) return false;
    if (HDC screen = GetDC(nullptr)) {
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (dpiX_ <= 0) dpiX_ = 96;
        if (dpiY_ <= 0) dpiY_ = 96;
    }
    owner_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr));
    // No activation: the popup must not take the keyboard from what the user
    // is typing into.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, kAppTitle,
                    WS_POPUP | WS_CLIPCHILDREN, 0, 0, Px(kDesignWidth), MulDiv(kDesignHeight, dpiY_, 96),
                    owner_.get(), nullptr, instance, this);
    if (!hwnd_) return false;

    titleFont_.reset(MakeTahoma(dpiY_, true));
    descriptionFont_.reset(MakeTahoma(dpiY_, false));
    backBrush_.reset(CreateSolidBrush(kBackColor));
    builtInImage_.reset(MakeBuiltInImage(Px(kImageSize)));
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Px(kImageLeft), Px(kImageTop),
                    Px(kImageSize), Px(kImageSize), hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(imgNotificationIcon)), instance, nullptr);
    MakeLabel(hwnd_, lblTitle, L"Title", 0, static_cast<HFONT>(titleFont_.get()));
    // Only the description reports clicks; clicks on the rest fall through.
    MakeLabel(hwnd_, lblDescription, L"Description", SS_NOTIFY, static_cast<HFONT>(descriptionFont_.get()));

    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea_, 0) || IsRectEmpty(&workArea_))
        workArea_ = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT r{};
    GetWindowRect(hwnd_, &r);
    widthPixels_ = r.right - r.left;
    fullHeightTwips_ = MulDiv(r.bottom - r.top, 1440, dpiY_);
    heightTwips_ = fullHeightTwips_;
    shpBorder_ = {0, 0, widthPixels_, r.bottom - r.top};
    return true;
}

frmNotification::~frmNotification() {
    if (!hwnd_) return;
    // Going away with the window still up (program exit): no events.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    KillTimer(hwnd_, kControllerTimer);
    DestroyWindow(hwnd_);
}

void frmNotification::ShowNotification(const cNotificationRequest& request) {
    request_ = request;
    Fill();
    heightTwips_ = kStartHeightTwips;
    Place();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // Paint now rather than pumping messages here: a pump would let timers
    // and clicks re-enter the queue half-way through starting this popup.
    UpdateWindow(hwnd_);
    phase_ = kGrowing;
    SetInterval(kStepInterval);
    if (!request_.SoundFileLocation.empty())
        sndPlaySoundW(request_.SoundFileLocation.c_str(), SND_ASYNC | SND_NODEFAULT);
}

void frmNotification::UpdateNotification(const cNotificationRequest& request) {
    request_ = request;
    Fill();
    phase_ = kGrowing;
    EnableTimer();
}

void frmNotification::Fill() {
    if (!hwnd_) return;
    SetDlgItemTextW(hwnd_, lblTitle, request_.Title.c_str());
    SetDlgItemTextW(hwnd_, lblDescription, request_.Description.c_str());
    if (request_.Icon) shownIcon_ = request_.Icon;

    // The labels size themselves to their text; the window follows the
    // wider one. Text too long for the work area ends in an ellipsis rather
    // than pushing the popup off the left of the screen.
    const int maxLabel = std::max(0, static_cast<int>(workArea_.right - workArea_.left) -
                                         2 * TwipsToPixelsX(kEdgeGapTwips) - Px(kLabelLeft + kRightPadding));
    SIZE title = TextSize(hwnd_, static_cast<HFONT>(titleFont_.get()), request_.Title);
    SIZE description = TextSize(hwnd_, static_cast<HFONT>(descriptionFont_.get()), request_.Description);
    title.cx = std::min<LONG>(title.cx, maxLabel);
    description.cx = std::min<LONG>(description.cx, maxLabel);
    MoveWindow(GetDlgItem(hwnd_, lblTitle), Px(kLabelLeft), Px(kTitleTop), title.cx, title.cy, FALSE);
    MoveWindow(GetDlgItem(hwnd_, lblDescription), Px(kLabelLeft), Px(kDescriptionTop), description.cx,
               description.cy, FALSE);

    widthPixels_ = Px(kLabelLeft) + std::max(title.cx, description.cx) + Px(kRightPadding);
    Place();
    // The border frames the full height, also when an update arrives while
    // the popup is part-way down.
    shpBorder_ = {0, 0, widthPixels_, TwipsToPixelsY(fullHeightTwips_)};
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The bottom edge stays on the work area's bottom; the window is as high as
// the animation has got.
void frmNotification::Place() {
    if (!hwnd_) return;
    const int height = TwipsToPixelsY(heightTwips_);
    const int left = workArea_.right - (widthPixels_ + TwipsToPixelsX(kEdgeGapTwips));
    SetWindowPos(hwnd_, nullptr, left, workArea_.bottom - height, widthPixels_, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmNotification::SetInterval(UINT ms) {
    if (!hwnd_ || (timerOn_ && interval_ == ms)) return;
    interval_ = ms;
    timerOn_ = SetTimer(hwnd_, kControllerTimer, ms, nullptr) != 0;
}

// Enabling a running timer leaves its countdown alone.
void frmNotification::EnableTimer() {
    if (!timerOn_) SetInterval(interval_);
}

void frmNotification::tmrPopupController_Timer() {
    if (!hwnd_) return;
    auto keep = shared_from_this();  // Unload raises Finished, which may drop us
    if (phase_ == kGrowing) {
        heightTwips_ += kStepTwips;
        if (heightTwips_ >= fullHeightTwips_) {
            heightTwips_ = fullHeightTwips_;
            phase_ = kShown;
            SetInterval(kDisplayTime);
        }
        Place();
        return;
    }
    SetInterval(kStepInterval);
    heightTwips_ -= kStepTwips;
    if (heightTwips_ < kStepTwips) {
        Unload();
        return;
    }
    Place();
}

void frmNotification::Unload() {
    if (!hwnd_) return;
    auto keep = shared_from_this();
    KillTimer(hwnd_, kControllerTimer);
    timerOn_ = false;
    DestroyWindow(hwnd_);  // WM_NCDESTROY raises Finished
}

void frmNotification::lblDescription_Click() {
    if (!request_.EnableClickEvent || !Clicked) return;
    // Copies: the handler may show a message box whose loop lets the popup
    // update or unload meanwhile.
    auto handler = Clicked;
    const std::wstring key = request_.Key;
    handler(key);
}

void frmNotification::DrawImage(const DRAWITEMSTRUCT& item) const {
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, static_cast<HBRUSH>(backBrush_.get()));
    const int size = r.right - r.left;
    if (shownIcon_) {
        DrawIconEx(item.hDC, r.left, r.top, shownIcon_->get(), size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    HDC mem = CreateCompatibleDC(item.hDC);
    if (!mem) return;
    HGDIOBJ old = SelectObject(mem, builtInImage_.get());
    BitBlt(item.hDC, r.left, r.top, size, size, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

LRESULT frmNotification::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(backBrush_.get()));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        HBRUSH border = CreateSolidBrush(kBorderColor);
        FrameRect(dc, &shpBorder_, border);
        DeleteObject(border);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        bool title = GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == lblTitle;
        SetTextColor(dc, title ? kTitleColor : kTextColor);
        SetBkColor(dc, kBackColor);
        return reinterpret_cast<LRESULT>(backBrush_.get());
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlID != imgNotificationIcon) break;
        DrawImage(*item);
        return TRUE;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == GetDlgItem(hwnd_, lblDescription) && request_.EnableClickEvent) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == lblDescription && HIWORD(wp) == STN_CLICKED) lblDescription_Click();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wp == kControllerTimer) tmrPopupController_Timer();
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        timerOn_ = false;
        auto finished = Finished;  // the handler may destroy this object
        if (finished) finished();
        return 0;
    }
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK frmNotification::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<frmNotification*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmNotification*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    // Alive until this message is handled, whatever an event handler drops.
    std::shared_ptr<frmNotification> keep = form->weak_from_this().lock();
    try {
        return form->HandleMessage(msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace nv
