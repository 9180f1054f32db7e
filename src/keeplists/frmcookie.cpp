#include "keeplists/frmcookie.h"

#include "foundation/handles.h"
#include "foundation/system.h"
#include "keeplists/keeplistui.h"
#include "keeplists/keeplists.h"
#include "shell/resource.h"
#include "shell/ui.h"

namespace nv::frmcookie {
namespace {

namespace id = ids::frmcookie;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

struct State {
    bool modal;
    HWND hwnd = nullptr;
    keeplists::KeepList keep() const {
        return {hwnd, GetDlgItem(hwnd, id::List1), keeplists::KeepCookieFile(), keeplists::ShownCookieKeepList};
    }
};

void Form_Load(HWND hwnd) {
    const DWORD listStyle = WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    ui::Child(hwnd, L"BUTTON", L"Cookies", BS_GROUPBOX, 8, 8, 684, 446, id::Frame1);
    ui::Child(hwnd, L"BUTTON", L"Current Cookies List", BS_GROUPBOX, 18, 28, 290, 230, id::Frame3);
    ui::Child(hwnd, L"LISTBOX", L"", listStyle, 28, 48, 270, 200, id::lstCookieList);
    ui::Child(hwnd, L"BUTTON", L"Add >", BS_PUSHBUTTON | WS_TABSTOP, 312, 114, 76, 24, id::cmdAdd);
    ui::Child(hwnd, L"BUTTON", L"< Remove", BS_PUSHBUTTON | WS_TABSTOP, 312, 146, 76, 24, id::cmdRemove);
    ui::Child(hwnd, L"BUTTON", L"Cookies Keep List", BS_GROUPBOX, 392, 28, 290, 230, id::Frame2);
    ui::Child(hwnd, L"LISTBOX", L"", listStyle | LBS_EXTENDEDSEL, 402, 48, 270, 200, id::List1);
    ui::Child(hwnd, L"BUTTON", L"Preview", BS_GROUPBOX, 18, 266, 664, 178, id::Frame4);
    ui::Child(hwnd, L"EDIT", L"",
              WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                  ES_AUTOHSCROLL,
              28, 286, 644, 148, id::Text1);
    ui::Child(hwnd, L"BUTTON", L"Close", BS_PUSHBUTTON | WS_TABSTOP, 617, 462, 75, 23, IDCANCEL);
    RECT frame{0, 0, ui::Px(700), ui::Px(493)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    ui::CenterOnScreen(hwnd);

    HWND current = GetDlgItem(hwnd, id::lstCookieList), keep = GetDlgItem(hwnd, id::List1);
    keeplists::FillList(current, CurrentCookies());
    if (GetFileAttributesW(keeplists::KeepCookieFile().c_str()) == INVALID_FILE_ATTRIBUTES) return;
    keeplists::FillList(keep, keeplists::ShownCookieKeepList());
    keeplists::ResetExtent(keep);
    keeplists::ResetExtent(current);
}

// A click in either list shows the clicked file; one that cannot be read
// leaves the preview as it was.
void ShowPreview(HWND hwnd, HWND list) {
    if (auto text = keeplists::PreviewText(keeplists::SelectedText(list)))
        SetDlgItemTextW(hwnd, id::Text1, text->c_str());
}

INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        s = reinterpret_cast<State*>(lp);
        s->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        Form_Load(hwnd);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case id::cmdAdd: s->keep().Add(keeplists::SelectedText(GetDlgItem(hwnd, id::lstCookieList))); return TRUE;
        case id::cmdRemove: s->keep().RemoveSelected(); return TRUE;
        case id::lstCookieList:
        case id::List1:
            if (HIWORD(wp) == LBN_SELCHANGE) ShowPreview(hwnd, reinterpret_cast<HWND>(lp));
            return TRUE;
        case IDCANCEL:
            if (s->modal) EndDialog(hwnd, IDCANCEL);
            else DestroyWindow(hwnd);
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        if (s && !s->modal) delete s;
        break;
    }
    return FALSE;
}

}  // namespace

std::vector<std::wstring> CurrentCookies() {
    std::vector<std::wstring> paths;
    std::wstring folder = ShellFolder(L"Cookies");
    if (folder.empty()) return paths;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find) return paths;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (std::wstring_view(fd.cFileName).find(L".txt") == std::wstring_view::npos) continue;
        paths.push_back(folder + (folder.back() == L'\\' ? L"" : L"\\") + fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return paths;
}

void ShowModal(HWND owner) {
    State s{true};
    ui::CodeDialogModal(owner, kStyle, L"Cookies Options", Proc, reinterpret_cast<LPARAM>(&s));
}

HWND Create(HWND owner) {
    auto* s = new State{false};
    HWND hwnd = ui::CodeDialog(owner, kStyle, L"Cookies Options", Proc, reinterpret_cast<LPARAM>(s));
    if (!hwnd) delete s;
    return hwnd;
}

}  // namespace nv::frmcookie
