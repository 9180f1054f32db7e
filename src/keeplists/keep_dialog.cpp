#include "keeplists/keep_dialog.h"

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/list_file.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "ui/ui.h"

namespace nv::keeplists {
namespace {

std::wstring EntryText(HWND list, int i) {
    LRESULT n = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (n == LB_ERR) return L"";
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
    return s;
}

std::wstring TrimRight(std::wstring s) {
    s.erase(s.find_last_not_of(L' ') + 1);
    return s;
}

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

struct DialogState {
    const KeepDialog& d;
    bool modal;
    HWND hwnd = nullptr;
    KeepList Keep() const { return {hwnd, GetDlgItem(hwnd, d.keep), d.file(), d.read}; }
};

void Fit(HWND hwnd, const KeepDialog& d) {
    ui::Child(hwnd, L"BUTTON", L"Close", BS_PUSHBUTTON | WS_TABSTOP, d.width - 83, d.height - 31, 75, 23, IDCANCEL);
    RECT frame{0, 0, ui::Px(d.width), ui::Px(d.height)};
    AdjustWindowRectEx(&frame, kDialogStyle, FALSE, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    ui::CenterOnScreen(hwnd);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<DialogState*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        s = reinterpret_cast<DialogState*>(lp);
        s->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        s->d.load(hwnd);
        Fit(hwnd, s->d);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == s->d.add) s->Keep().Add(SelectedText(GetDlgItem(hwnd, s->d.current)));
        else if (id == s->d.remove) s->Keep().RemoveSelected();
        else if (id == IDCANCEL && s->modal) EndDialog(hwnd, IDCANCEL);
        else if (id == IDCANCEL) DestroyWindow(hwnd);
        else if (s->d.command) s->d.command(hwnd, wp, lp);
        return TRUE;
    }
    case WM_NCDESTROY:
        if (s && !s->modal) delete s;
        break;
    }
    return FALSE;
}

}  // namespace

int ListTextWidth(HWND list) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::wstring text = EntryText(list, i);
        RECT r{};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        widest = std::max<int>(widest, r.right - r.left + 8);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return widest;
}

void ResetExtent(HWND list) { SendMessageW(list, LB_SETHORIZONTALEXTENT, ListTextWidth(list), 0); }

void FillList(HWND list, const std::vector<std::wstring>& entries) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& e : entries) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
}

std::wstring SelectedText(HWND list) {
    const bool multi = GetWindowLongW(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    int i = static_cast<int>(SendMessageW(list, multi ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
    if (multi && SendMessageW(list, LB_GETSEL, i, 0) <= 0) return L"";
    return i < 0 ? L"" : EntryText(list, i);
}

void KeepList::Add(const std::wstring& entry) const {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    if (!listfile::Append(file, TrimRight(entry))) Failed();
    ResetExtent(list);
}

void KeepList::RemoveSelected() const {
    for (int i = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) - 1; i >= 0; --i)
        if (SendMessageW(list, LB_GETSEL, i, 0) > 0) SendMessageW(list, LB_DELETESTRING, i, 0);
    std::vector<std::wstring> rest;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) rest.push_back(EntryText(list, i));
    if (!listfile::Write(file, rest)) Failed();
    ResetExtent(list);
}

void KeepList::Failed() const {
    prompts::Show(L"The keep list could not be saved: " + file + L" cannot be written.", kAppTitle,
                  MB_OK | MB_ICONWARNING);
    FillList(list, read());
}

void ShowKeepDialog(HWND owner, const KeepDialog& dialog) {
    DialogState s{dialog, true};
    ui::CodeDialogModal(owner, kDialogStyle, dialog.title, DialogProc, reinterpret_cast<LPARAM>(&s));
}

HWND CreateKeepDialog(HWND owner, const KeepDialog& dialog) {
    auto* s = new DialogState{dialog, false};
    HWND hwnd = ui::CodeDialog(owner, kDialogStyle, dialog.title, DialogProc, reinterpret_cast<LPARAM>(s));
    if (!hwnd) delete s;
    return hwnd;
}

std::optional<std::wstring> PreviewText(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    ScopedFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Only plain files: reading a pipe or a device could wait for ever.
    if (!f || GetFileType(f.get()) != FILE_TYPE_DISK) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size)) return std::nullopt;
    std::string bytes(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kPreviewBytes)), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return std::nullopt;
    bytes.resize(got);
    const std::wstring raw = FromAnsi(bytes);
    std::wstring text;
    for (size_t i = 0; i < raw.size(); ++i) {
        wchar_t c = raw[i];
        if (c == L'\r' && i + 1 < raw.size() && raw[i + 1] == L'\n') continue;
        if (c == L'\r' || c == L'\n') text += L"\r\n";
        else text += c == L'\0' ? L' ' : c;
    }
    if (size.QuadPart > kPreviewBytes)
        text += L"\r\n\r\n(only the first " + std::to_wstring(kPreviewBytes / 1024) + L" KB of " +
                std::to_wstring(size.QuadPart) + L" bytes are shown)";
    return text;
}

}  // namespace nv::keeplists
