#include "settings/cleaning_settings_dialog.h"

#include <commctrl.h>

#include <memory>

#include "foundation/app_path.h"
#include "foundation/prompts.h"
#include "foundation/registry_access.h"
#include "keeplists/cookies_dialog.h"
#include "keeplists/url_droplist_dialog.h"
#include "settings/custom_items_file.h"
#include "settings/cleaning_settings_impl.h"
#include "foundation/selection_profile.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmsettings {
namespace {

namespace id = ids::frmsettings;

constexpr int kFavoritesBox = 5;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;

Dialog* g_open = nullptr;
std::unique_ptr<Dialog> g_modeless;

// The two mail groups exist only where their program is installed.
struct MailGroup {
    const wchar_t* section;
    const wchar_t* keyPath;
    const wchar_t* value;
    int selectAll;
};
constexpr MailGroup kMailGroups[] = {
    {L"outlook", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Outlook Express", L"InstallRoot", 127},
    {L"mail", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Mail", L"Store Root", 128},
};

const MailGroup* MailGroupOf(const wchar_t* section) {
    for (const auto& g : kMailGroups)
        if (lstrcmpW(g.section, section) == 0) return &g;
    return nullptr;
}

}  // namespace

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->hwnd_ = hwnd;
    }
    return self ? self->OnMessage(msg, wp, lp) : FALSE;
}

INT_PTR Dialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        g_open = this;
        previousPromptOwner_ = prompts::SetOwner(hwnd_);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::MessageFont()), FALSE);
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETTINGS))));
        BuildPages();
        SetUpLists();
        ui::CenterOnScreen(hwnd_);
        Form_Load();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return TRUE;
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        if (nm->code == TCN_SELCHANGE && nm->hwndFrom == tab1_) ShowPage(tab1_, pages_);
        if (nm->code == TCN_SELCHANGE && nm->hwndFrom == tab2_) ShowPage(tab2_, browserPages_);
        if (nm->hwndFrom == list1_ && nm->code == LVN_ITEMCHANGED)
            ListView1_ItemChanged(*reinterpret_cast<NMLISTVIEW*>(lp));
        if (nm->hwndFrom == list1_ && nm->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, ListView1_CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lp)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        prompts::SetOwner(previousPromptOwner_);
        if (g_open == this) g_open = nullptr;
        return FALSE;
    case WM_NCDESTROY:
        // A modeless dialog owns its object; the last message frees it.
        if (g_modeless.get() == this) g_modeless.reset();
        return FALSE;
    }
    return FALSE;
}

void Dialog::OnCommand(int ctl, int code) {
    if (ctl > id::kCheckBase && ctl < id::kCheckBase + static_cast<int>(boxes_.size())) {
        if (code != BN_CLICKED) return;
        const int n = ctl - id::kCheckBase;
        if (n == kFavoritesBox) Check5_Click();
        else if (SelectAllGroup(n)) SelectAllClick(n);
        return;
    }
    switch (ctl) {
    case id::Command1: Command1_Click(); break;
    case id::Command3:
    case IDCANCEL: Close(IDCANCEL); break;
    case id::Command7: frmurl::ShowModal(hwnd_); break;
    case id::Command8: frmcookie::ShowModal(hwnd_); break;
    case id::Command101: Command101_Click(); break;
    case id::Command102: Command102_Click(); break;
    case id::Command2: Command2_Click(); break;
    case id::addfiles: addfiles_Click(); break;
    case id::addfolders: addfolders_Click(); break;
    case ids::applications::cmdImport: cmdImport_Click(); break;
    }
}

void Dialog::Form_Load() {
    for (const auto& k : profile::ItemKeys())
        if (!MailGroupOf(k.section)) SetBox(k.checkBox, profile::NumericFlag(k.section, k.key));
    for (const auto& g : kMailGroups) {
        const bool installed = regfun::GetRegValue(g.keyPath, g.value) != L"Error";
        for (const auto& k : profile::ItemKeys()) {
            if (lstrcmpW(k.section, g.section) != 0) continue;
            if (installed) {
                SetBox(k.checkBox, profile::NumericFlag(k.section, k.key));
            } else {
                SetBox(k.checkBox, false);
                EnableWindow(Box(k.checkBox), FALSE);
            }
        }
        if (!installed) {
            SetBox(g.selectAll, false);
            EnableWindow(Box(g.selectAll), FALSE);
        }
    }
    LoadCustomItems();
    ClearPluginList();
    AddList(plugins::PluginFolder(), plugins::kExtension);
}

void Dialog::Command1_Click() {
    std::vector<std::wstring> failed;
    bool profileWritten = true;
    for (const auto& k : profile::ItemKeys())
        profileWritten = profile::Write(k.section, k.key, profile::CheckValue(Checked(k.checkBox))) && profileWritten;
    if (!profileWritten) failed.push_back(profile::ProfilePath());
    if (!SaveCustomItems()) failed.push_back(cusd::CustomFile());
    SavePluginFlags(failed);
    if (!failed.empty()) {
        // Closing as if all went well would lose the choice without a word:
        // say which files refused it and let the user decide.
        prompts::Show(profile::UnsavedText(failed), kAppTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    Close(IDOK);
}

void Dialog::Close(INT_PTR result) {
    if (modal_) EndDialog(hwnd_, result);
    else DestroyWindow(hwnd_);
}

bool Dialog::Checked(int n) const { return SendMessageW(Box(n), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Dialog::SetBox(int n, bool on) {
    if (!Box(n) || Checked(n) == on) return;
    SendMessageW(Box(n), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Only a tick asks: Cancel takes it back. Unticking never asks, so a
// "don't delete" can never turn into a delete, and the stored choice loads
// without a question.
void Dialog::Check5_Click() {
    if (!Checked(kFavoritesBox)) return;
    if (prompts::Show(L"Are you sure delete IE Favorites?", kAppTitle, MB_OKCANCEL) != IDOK)
        SendMessageW(Box(kFavoritesBox), BM_SETCHECK, BST_UNCHECKED, 0);
}

void Dialog::SelectAllClick(int n) {
    if (!IsWindowEnabled(Box(n))) return;
    const bool on = Checked(n);
    const GroupLayout* g = SelectAllGroup(n);
    for (const auto& k : profile::ItemKeys())
        if (lstrcmpW(k.group, g->group) == 0 && Checked(k.checkBox) != on) {
            SetBox(k.checkBox, on);
            if (k.checkBox == kFavoritesBox) Check5_Click();
        }
}

void ShowModal(HWND owner) {
    if (g_open) {
        SetForegroundWindow(g_open->hwnd());
        return;
    }
    Dialog dialog(true);
    ui::CodeDialogModal(owner, kStyle, L"Cleaning Settings", Dialog::Proc, reinterpret_cast<LPARAM>(&dialog));
}

HWND Create(HWND owner) {
    if (g_open) return g_open->hwnd();
    g_modeless = std::make_unique<Dialog>(false);
    HWND hwnd = ui::CodeDialog(owner, kStyle, L"Cleaning Settings", Dialog::Proc,
                               reinterpret_cast<LPARAM>(g_modeless.get()));
    if (!hwnd) g_modeless.reset();
    return hwnd;
}

HWND Instance() { return g_open ? g_open->hwnd() : nullptr; }

HWND Control(int ctl) { return g_open ? ui::FindControl(g_open->hwnd(), ctl) : nullptr; }

}  // namespace nv::frmsettings
