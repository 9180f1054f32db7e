#include "shell/about_dialog.h"

#include "foundation/version.h"
#include "shell/main_window.h"
#include "shell/routines.h"
#include "ui/ui.h"

namespace nv::frmabout {
namespace {

INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        if (auto v = ModuleVersion()) SetDlgItemTextW(hwnd, IDC_VERSION, (L"Version " + VersionText(*v)).c_str());
        ui::CenterOnScreen(hwnd);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_LICENSE:
            ShowLicenseAgreement();
            return TRUE;
        case IDOK:
        case IDCANCEL:
            // "Exit" closes the box and brings the main window back.
            if (GetWindowLongPtrW(hwnd, DWLP_USER)) DestroyWindow(hwnd);
            else EndDialog(hwnd, IDOK);
            if (frmMainCode* main = frmMainCode::Instance()) main->Show();
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

void ShowModal(HWND owner) { DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD), owner, Proc, 0); }

HWND Create(HWND owner) {
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD), owner, Proc, 0);
    if (hwnd) SetWindowLongPtrW(hwnd, DWLP_USER, 1);
    return hwnd;
}

}  // namespace nv::frmabout
