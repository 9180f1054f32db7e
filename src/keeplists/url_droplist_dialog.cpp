#include "keeplists/url_droplist_dialog.h"

#include "foundation/handles.h"
#include "foundation/registry_access.h"
#include "keeplists/keep_dialog.h"
#include "keeplists/keep_list_files.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmurl {
namespace {

namespace id = ids::frmurl;

constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
// The value name and data buffers the list is read with, in characters (ANSI bytes).
constexpr DWORD kNameChars = 255, kDataChars = 255;

void Form_Load(HWND hwnd) {
    const DWORD listStyle = WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    ui::Child(hwnd, L"BUTTON", L"URL Drop-List", BS_GROUPBOX, 8, 8, 624, 300, id::Frame1);
    ui::Label(hwnd, L"Current URL List", 20, 30, 250, 16, id::Label1);
    ui::Child(hwnd, L"LISTBOX", L"", listStyle, 20, 48, 250, 246, id::List2);
    ui::Child(hwnd, L"BUTTON", L"Add >", BS_PUSHBUTTON | WS_TABSTOP, 282, 130, 76, 24, id::cmdAdd);
    ui::Child(hwnd, L"BUTTON", L"< Remove", BS_PUSHBUTTON | WS_TABSTOP, 282, 162, 76, 24, id::cmdRemove);
    ui::Label(hwnd, L"URL Keep List", 370, 30, 250, 16, id::Label2);
    ui::Child(hwnd, L"LISTBOX", L"", listStyle | LBS_EXTENDEDSEL, 370, 48, 250, 246, id::List1);

    HWND current = GetDlgItem(hwnd, id::List2), keep = GetDlgItem(hwnd, id::List1);
    keeplists::FillList(current, CurrentUrls());
    // Without a keep file the load ends here, before the extents, as the
    // cookie dialog's does.
    if (GetFileAttributesW(keeplists::KeepUrlFile().c_str()) == INVALID_FILE_ATTRIBUTES) return;
    keeplists::FillList(keep, keeplists::ReadUrlKeepList());
    keeplists::ResetExtent(current);
    keeplists::ResetExtent(keep);
}

constexpr keeplists::KeepDialog kDialog{L"URL Drop-List Options", 640, 349, id::List2, id::List1, id::cmdAdd,
                                        id::cmdRemove, keeplists::KeepUrlFile, keeplists::ReadUrlKeepList, Form_Load};

}  // namespace

std::vector<std::wstring> CurrentUrls() {
    std::vector<std::wstring> urls;
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTypedUrls, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return urls;
    for (DWORD i = 0;; ++i) {
        wchar_t name[kNameChars];
        DWORD nameChars = kNameChars, dataBytes = 0, type = REG_NONE;
        if (RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, nullptr, &dataBytes) != ERROR_SUCCESS) break;
        // The buffer holds 255 bytes of ANSI text: a character of a text
        // value, or a byte of any other kind of data.
        const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
        if ((text ? dataBytes / sizeof(wchar_t) : dataBytes) > kDataChars) break;
        type = REG_SZ;
        std::wstring data = regfun::QueryRegValue(HKEY_CURRENT_USER, kTypedUrls, std::wstring(name, nameChars), type);
        if (data != L"error") urls.push_back(data);
    }
    return urls;
}

void ShowModal(HWND owner) { keeplists::ShowKeepDialog(owner, kDialog); }

HWND Create(HWND owner) { return keeplists::CreateKeepDialog(owner, kDialog); }

}  // namespace nv::frmurl
