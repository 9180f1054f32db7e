#include "shredder/window.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "foundation/app_path.h"
#include "foundation/launcher.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "ui/ui.h"
#include "shredder/shred.h"

namespace nv::shredder {
namespace {

constexpr wchar_t kClass[] = L"NorvaleShredder";
constexpr wchar_t kLimits[] =
    L"Overwriting cannot be promised on SSDs, USB sticks and memory cards, nor for compressed, sparse or "
    L"encrypted files.";

struct State {
    std::vector<Entry> items;
    bool running = false;
    bool cancel = false;
    bool closeAfterRun = false;  // closed during a run: the run ends, then the window
};

State& StateOf(HWND hwnd) { return *reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }
HWND Item(HWND hwnd, int id) { return GetDlgItem(hwnd, id); }

void AddColumn(HWND list, int index, const wchar_t* title, int width, bool right = false) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.fmt = right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    c.pszText = const_cast<wchar_t*>(title);
    c.cx = ui::Px(width);
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&c));
}

void AddRow(HWND list, const std::vector<std::wstring>& cells) {
    LVITEMW it{};
    it.mask = LVIF_TEXT;
    it.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    it.pszText = const_cast<wchar_t*>(cells[0].c_str());
    int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)));
    for (size_t i = 1; i < cells.size(); ++i) {
        LVITEMW sub{};
        sub.iSubItem = static_cast<int>(i);
        sub.pszText = const_cast<wchar_t*>(cells[i].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
}

void ShowList(HWND hwnd) {
    State& s = StateOf(hwnd);
    HWND list = Item(hwnd, IDC_LIST);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    double total = 0;
    for (const Entry& e : s.items) {
        AddRow(list, {e.path, SizeText(e.bytes)});
        total += e.bytes;
    }
    std::wstring line = s.items.empty() ? L"Add the files and folders to shred, or drop them on the list."
                                        : std::to_wstring(s.items.size()) +
                                              (s.items.size() == 1 ? L" item, " : L" items, ") + SizeText(total);
    SetWindowTextW(Item(hwnd, IDC_TOTAL), line.c_str());
    const bool idle = !s.running;
    EnableWindow(Item(hwnd, IDC_SHRED), idle && !s.items.empty());
    EnableWindow(Item(hwnd, IDC_CLEAR), idle && !s.items.empty());
    EnableWindow(Item(hwnd, IDC_REMOVE), idle && !s.items.empty());
    EnableWindow(Item(hwnd, IDC_ADDFILES), idle);
    EnableWindow(Item(hwnd, IDC_ADDFOLDER), idle);
    EnableWindow(Item(hwnd, IDC_STOP), s.running);
}

void RemoveSelected(HWND hwnd) {
    State& s = StateOf(hwnd);
    HWND list = Item(hwnd, IDC_LIST);
    for (int i = static_cast<int>(s.items.size()) - 1; i >= 0; --i)
        if (SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED)
            s.items.erase(s.items.begin() + i);
    ShowList(hwnd);
}

void AddFiles(HWND hwnd) {
    std::vector<wchar_t> buf(65536);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
    ofn.lpstrFile = buf.data();
    ofn.nMaxFile = static_cast<DWORD>(buf.size());
    ofn.lpstrTitle = L"Add Files";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return;
    // One file: its full path; several: the folder, then the names.
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buf.data(); *p; p += wcslen(p) + 1) parts.emplace_back(p);
    if (parts.size() == 1) {
        AddPaths(hwnd, parts);
        return;
    }
    std::vector<std::wstring> paths;
    for (size_t i = 1; i < parts.size(); ++i)
        paths.push_back(parts[0] + (parts[0].ends_with(L'\\') ? L"" : L"\\") + parts[i]);
    AddPaths(hwnd, paths);
}

void AddFolder(HWND hwnd) {
    BROWSEINFOW bi{};
    bi.hwndOwner = hwnd;
    bi.lpszTitle = L"Choose a folder to shred with everything in it.";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (!pidl) return;
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(pidl, path)) AddPaths(hwnd, {path});
    CoTaskMemFree(pidl);
}

void OnDrop(HWND hwnd, HDROP drop) {
    std::vector<std::wstring> paths;
    UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        std::wstring p(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        p.resize(DragQueryFileW(drop, i, p.data(), static_cast<UINT>(p.size())));
        paths.push_back(p);
    }
    DragFinish(drop);
    AddPaths(hwnd, paths);
}

void ShowWhy() {
    launcher::Current().Start(launcher::Quote(WindowsFolder() + L"\\hh.exe") + L" " +
                                  launcher::Quote(AppFile(L"help.chm") + L"::/shredder.html"),
                              SW_SHOWNORMAL);
}

void Run(HWND hwnd) {
    State& s = StateOf(hwnd);
    if (s.items.empty() || s.running) return;
    double total = 0;
    for (const Entry& e : s.items) total += e.bytes;
    if (prompts::Show(Question(s.items.size(), total), kTitle, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    s.running = true;
    s.cancel = false;
    ShowList(hwnd);
    HWND results = Item(hwnd, IDC_RESULTS), progress = Item(hwnd, IDC_PROGRESS);
    SendMessageW(results, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(s.items.size()));
    SendMessageW(progress, PBM_SETPOS, 0, 0);
    std::vector<Entry> left;
    size_t done = 0;
    for (const Entry& e : s.items) {
        std::vector<Outcome> lines;
        if (s.cancel)
            lines.push_back({e.path, e.bytes, false, L"Left: cancelled"});
        else
            lines = Shred(e.path, &s.cancel, ui::PumpMessages);
        for (const Outcome& o : lines) AddRow(results, {o.path, o.bytes > 0 ? SizeText(o.bytes) : L"", o.text});
        if (auto still = Describe(e.path)) left.push_back(*still);
        SendMessageW(progress, PBM_SETPOS, ++done, 0);
        ui::PumpMessages();
    }
    s.items = left;
    s.running = false;
    ShowList(hwnd);
    if (s.closeAfterRun) DestroyWindow(hwnd);
}

void Layout(HWND hwnd) {
    using ui::Child;
    ui::Label(hwnd, L"Files and folders to shred:", 10, 10, 500, 18);
    HWND list = Child(hwnd, WC_LISTVIEWW, L"", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 10, 30, 500,
                      200, IDC_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"Name", 400);
    AddColumn(list, 1, L"Size", 80, true);
    const struct {
        int id;
        const wchar_t* text;
    } side[] = {{IDC_ADDFILES, L"Add Files..."}, {IDC_ADDFOLDER, L"Add Folder..."}, {IDC_REMOVE, L"Remove"},
                {IDC_CLEAR, L"Clear"}};
    int y = 30;
    for (const auto& b : side) {
        Child(hwnd, L"BUTTON", b.text, WS_TABSTOP | BS_PUSHBUTTON, 520, y, 110, 26, b.id);
        y += 32;
    }
    ui::Label(hwnd, L"", 10, 236, 500, 18, IDC_TOTAL);
    ui::Label(hwnd, kLimits, 10, 260, 560, 32, IDC_LIMITS);
    Child(hwnd, WC_LINK, L"<a>Why?</a>", WS_TABSTOP, 580, 260, 50, 18, IDC_WHY);
    Child(hwnd, PROGRESS_CLASSW, L"", 0, 10, 302, 380, 20, IDC_PROGRESS);
    Child(hwnd, L"BUTTON", L"Shred", WS_TABSTOP | BS_DEFPUSHBUTTON, 400, 299, 110, 26, IDC_SHRED);
    Child(hwnd, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 520, 299, 110, 26, IDC_STOP);
    ui::Label(hwnd, L"Result:", 10, 336, 500, 18);
    HWND results = Child(hwnd, WC_LISTVIEWW, L"", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER, 10, 356,
                         620, 170, IDC_RESULTS);
    SendMessageW(results, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    AddColumn(results, 0, L"Item", 260);
    AddColumn(results, 1, L"Size", 70, true);
    AddColumn(results, 2, L"Result", 265);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new State));
        Layout(hwnd);
        ShowList(hwnd);
        DragAcceptFiles(hwnd, TRUE);
        return 0;
    case WM_DROPFILES:
        if (!StateOf(hwnd).running) OnDrop(hwnd, reinterpret_cast<HDROP>(wp));
        else DragFinish(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_ADDFILES: AddFiles(hwnd); break;
        case IDC_ADDFOLDER: AddFolder(hwnd); break;
        case IDC_REMOVE: RemoveSelected(hwnd); break;
        case IDC_CLEAR:
            StateOf(hwnd).items.clear();
            ShowList(hwnd);
            break;
        case IDC_SHRED: Run(hwnd); break;
        case IDC_STOP: StateOf(hwnd).cancel = true; break;
        }
        return 0;
    case WM_NOTIFY: {
        auto* n = reinterpret_cast<NMHDR*>(lp);
        if (n->idFrom == IDC_WHY && (n->code == NM_CLICK || n->code == NM_RETURN)) ShowWhy();
        if (n->idFrom == IDC_LIST && n->code == LVN_KEYDOWN &&
            reinterpret_cast<NMLVKEYDOWN*>(lp)->wVKey == VK_DELETE && !StateOf(hwnd).running)
            RemoveSelected(hwnd);
        return 0;
    }
    case WM_CLOSE:
        // Closing during a run stops it after the current file; the window
        // goes once the run has let go of it.
        if (StateOf(hwnd).running) {
            StateOf(hwnd).cancel = StateOf(hwnd).closeAfterRun = true;
            return 0;
        }
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        delete &StateOf(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HWND CreateShredderWindow(const std::vector<std::wstring>& paths, int showCmd) {
    static bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered) return nullptr;
    RECT r{0, 0, ui::Px(640), ui::Px(536)};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd = CreateWindowExW(WS_EX_ACCEPTFILES, kClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) return nullptr;
    prompts::SetOwner(hwnd);
    AddPaths(hwnd, paths);
    ui::CenterOnScreen(hwnd);
    ShowWindow(hwnd, showCmd);
    return hwnd;
}

void AddPaths(HWND window, const std::vector<std::wstring>& paths) {
    State& s = StateOf(window);
    HWND results = Item(window, IDC_RESULTS);
    for (const std::wstring& p : paths) {
        if (std::wstring why = Refusal(p); !why.empty()) {
            AddRow(results, {p, L"", why});
            continue;
        }
        auto e = Describe(p);
        if (!e) {
            AddRow(results, {p, L"", L"Left: not found"});
            continue;
        }
        bool known = false;
        for (const Entry& x : s.items) known = known || ToLower(x.path) == ToLower(e->path);
        if (!known) s.items.push_back(*e);
    }
    ShowList(window);
}

std::vector<std::wstring> ListedPaths(HWND window) {
    std::vector<std::wstring> out;
    for (const Entry& e : StateOf(window).items) out.push_back(e.path);
    return out;
}

}  // namespace nv::shredder
