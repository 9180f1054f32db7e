#include "ui/dialog_window.h"

#include "foundation/prompts.h"
#include "ui/ui.h"

namespace nv::search {
namespace {

#pragma pack(push, 2)
struct EmptyTemplate {
    DLGTEMPLATE t;
    WORD menu, windowClass, title;
};
#pragma pack(pop)

const DLGTEMPLATE* Template() {
    alignas(4) static EmptyTemplate tmpl = {
        {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 0, 0, 0}, 0, 0, 0};
    return &tmpl.t;
}

}  // namespace

void DialogWindow::RunModal(HWND owner) {
    modal_ = true;
    owner_ = owner;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), Template(), owner, Proc, reinterpret_cast<LPARAM>(this));
}

bool DialogWindow::CreateModeless(HWND owner) {
    modal_ = false;
    owner_ = owner;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), Template(), owner, Proc,
                                      reinterpret_cast<LPARAM>(this)) != nullptr;
}

void DialogWindow::Close() {
    if (!hwnd_) return;
    if (modal_) EndDialog(hwnd_, IDOK);
    else DestroyWindow(hwnd_);
}

void DialogWindow::SetClientSize(int width, int height) {
    RECT rc{0, 0, ui::Px(width), ui::Px(height)};
    AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<DialogWindow*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->hwnd_ = hwnd;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ui::MessageFont()), FALSE);
        const bool defaultFocus = self->OnInit();
        prompts::SetOwner(hwnd);
        ui::CenterOnScreen(hwnd);
        return defaultFocus ? TRUE : FALSE;
    }
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        // Message boxes belong to the window below again.
        prompts::SetOwner(self->owner_);
        self->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    INT_PTR result = 0;
    if (!self->OnMessage(msg, wp, lp, result)) return FALSE;
    // Messages whose result is the return value itself.
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return result;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace nv::search
