#include "search/search_options_dialog.h"

#include "foundation/prompts.h"
#include "foundation/text.h"
#include "search/extension_list.h"
#include "search/user_settings.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::search {
namespace {

namespace id = ids::extentions;

ModelessSlot<frmExtentions> g_modeless;

constexpr wchar_t kAddPreset[] = L"*.";

}  // namespace

void frmExtentions::ShowModal(HWND owner, SearchStringSetter setSearchString) {
    frmExtentions dlg(std::move(setSearchString));
    dlg.RunModal(owner);
}

frmExtentions* frmExtentions::Load(HWND owner, SearchStringSetter setSearchString) {
    return g_modeless.Load(std::unique_ptr<frmExtentions>(new frmExtentions(std::move(setSearchString))), owner);
}

void frmExtentions::Unload() {
    g_modeless.Unload();
}

bool frmExtentions::OnInit() {
    SetWindowTextW(hwnd_, L"Options");
    SetClientSize(400, 232);
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    ui::Child(hwnd_, L"BUTTON", L"Extention List:", BS_GROUPBOX, 10, 8, 180, 180, id::Frame1);
    ui::Child(hwnd_, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 20, 28, 160,
              150, id::lstFileTypes, WS_EX_CLIENTEDGE);
    ui::Child(hwnd_, L"BUTTON", L"Extention Options:", BS_GROUPBOX, 200, 8, 190, 180, id::Frame2);
    ui::Label(hwnd_, L"Extention:", 212, 33, 70, 18, id::Label2);
    ui::Child(hwnd_, L"EDIT", kAddPreset, WS_TABSTOP | ES_AUTOHSCROLL, 285, 29, 95, 22, id::txtAdd, WS_EX_CLIENTEDGE);
    ui::Child(hwnd_, L"BUTTON", L"&Add", button, 212, 66, 168, 26, id::cmdAdd);
    ui::Child(hwnd_, L"BUTTON", L"&Remove", button, 212, 100, 168, 26, id::cmdRemove);
    ui::Child(hwnd_, L"BUTTON", L"&Default", button, 212, 134, 168, 26, id::cmdDefault);
    ui::Child(hwnd_, L"BUTTON", L"D&one", button, 300, 198, 90, 26, id::cmdDone);
    Form_Load();
    return true;
}

void frmExtentions::Form_Load() {
    if (usersettings::GetSetting(L"General", L"MaxLogSize", L"").empty())
        usersettings::SaveSetting(L"General", L"MaxLogSize", L"80");
    LoadExtensionList();
}

void frmExtentions::LoadExtensionList() {
    HWND list = control(id::lstFileTypes);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& e : ExtentionHandller::ReadExtensions())
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

// The search string always comes from the file, so it matches what is stored;
// when the file has no valid line left, the search window keeps its own.
void frmExtentions::UpdateSearchString() {
    if (auto filter = ExtentionHandller::GetExtensionFilter(); filter && setSearchString_) setSearchString_(*filter);
}

void frmExtentions::cmdAdd_Click() {
    HWND edit = control(id::txtAdd);
    const std::wstring text = TrimBlanks(ui::GetText(edit));
    if (ExtentionHandller::IsValidExtension(text)) {
        ExtentionHandller::AppendExtension(text);
        LoadExtensionList();
        UpdateSearchString();
        SetWindowTextW(edit, kAddPreset);
        return;
    }
    prompts::Show(L"Please fill a legal extention name and try again!", L"Error", MB_OK | MB_ICONERROR);
    SetWindowTextW(edit, kAddPreset);
    SetFocus(edit);
}

void frmExtentions::cmdRemove_Click() {
    HWND list = control(id::lstFileTypes);
    std::wstring selected;
    LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (sel != LB_ERR) {
        selected.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, sel, 0)) + 1);
        selected.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(selected.data()))));
    }
    ExtentionHandller::RemoveExtension(selected);
    LoadExtensionList();
    UpdateSearchString();
}

void frmExtentions::cmdDefault_Click() {
    if (prompts::Show(L"Are you sure you want to Return to the defaul settings?", L"Warnning:", MB_YESNO) != IDYES)
        return;
    ExtentionHandller::WriteDefaultExtensions();
    LoadExtensionList();
    UpdateSearchString();
}

void frmExtentions::cmdDone_Click() { Close(); }

bool frmExtentions::OnMessage(UINT msg, WPARAM wp, LPARAM, INT_PTR&) {
    if (msg == WM_CLOSE) {
        Close();
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    switch (LOWORD(wp)) {
    case id::cmdAdd: cmdAdd_Click(); return true;
    case id::cmdRemove: cmdRemove_Click(); return true;
    case id::cmdDefault: cmdDefault_Click(); return true;
    case id::cmdDone: cmdDone_Click(); return true;
    case IDOK:  // Enter in the pattern box adds it
        if (GetFocus() == control(id::txtAdd)) cmdAdd_Click();
        return true;
    case IDCANCEL: Close(); return true;
    }
    return false;
}

}  // namespace nv::search
