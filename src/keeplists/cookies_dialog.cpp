#include "keeplists/cookies_dialog.h"

#include "foundation/handles.h"
#include "foundation/system.h"
#include "keeplists/keep_dialog.h"
#include "keeplists/keep_list_files.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmcookie {
namespace {

namespace id = ids::frmcookie;

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

    HWND current = GetDlgItem(hwnd, id::lstCookieList), keep = GetDlgItem(hwnd, id::List1);
    keeplists::FillList(current, CurrentCookies());
    if (GetFileAttributesW(keeplists::KeepCookieFile().c_str()) == INVALID_FILE_ATTRIBUTES) return;
    keeplists::FillList(keep, keeplists::ShownCookieKeepList());
    keeplists::ResetExtent(keep);
    keeplists::ResetExtent(current);
}

// A click in either list shows the clicked file; one that cannot be read
// leaves the preview as it was.
void ShowPreview(HWND hwnd, WPARAM wp, LPARAM lp) {
    if (LOWORD(wp) != id::lstCookieList && LOWORD(wp) != id::List1) return;
    if (HIWORD(wp) != LBN_SELCHANGE) return;
    if (auto text = keeplists::PreviewText(keeplists::SelectedText(reinterpret_cast<HWND>(lp))))
        SetDlgItemTextW(hwnd, id::Text1, text->c_str());
}

constexpr keeplists::KeepDialog kDialog{L"Cookies Options", 700, 493, id::lstCookieList, id::List1, id::cmdAdd,
                                        id::cmdRemove, keeplists::KeepCookieFile, keeplists::ShownCookieKeepList,
                                        Form_Load, ShowPreview};

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

void ShowModal(HWND owner) { keeplists::ShowKeepDialog(owner, kDialog); }

HWND Create(HWND owner) { return keeplists::CreateKeepDialog(owner, kDialog); }

}  // namespace nv::frmcookie
