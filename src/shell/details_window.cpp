#include "shell/details_window.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "foundation/text.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmDetails {
namespace {

using engine::RunDetails;
namespace id = ids::details;

constexpr wchar_t kClass[] = L"NorvaleDetails";
enum Column { kKind, kPath, kSize, kResult };
constexpr struct {
    const wchar_t* title;
    int width;
    int format;
} kColumns[] = {
    {L"Kind", 74, LVCFMT_LEFT},
    {L"Path or key", 320, LVCFMT_LEFT},
    {L"Size", 80, LVCFMT_RIGHT},
    {L"Result", 226, LVCFMT_LEFT},
};

struct State {
    HWND hwnd = nullptr;
    std::shared_ptr<const RunDetails> details;
    std::vector<uint32_t> order;  // listing numbers in the shown order
    int sortColumn = -1;
    bool descending = false;
    std::wstring cell;  // the text handed to the list last
};
State g;

bool HasSize(RemovalKind k) {
    return k == RemovalKind::File || k == RemovalKind::Folder || k == RemovalKind::RecycleBin;
}

// What a target without a path stands for.
std::wstring Unnamed(RemovalKind kind) {
    switch (kind) {
    case RemovalKind::RecycleBin: return L"(the Recycle Bin)";
    case RemovalKind::Clipboard: return L"(the clipboard)";
    case RemovalKind::RecentDocs: return L"(the recent documents list)";
    case RemovalKind::UrlHistory: return L"(the browser's history)";
    default: return L"";
    }
}

std::wstring CellText(size_t target, int column) {
    const RunDetails& d = *g.details;
    switch (column) {
    case kKind: return RemovalKindName(d.Kind(target));
    case kPath: {
        std::wstring path = d.Target(target);
        return path.empty() ? Unnamed(d.Kind(target)) : path;
    }
    case kSize: return HasSize(d.Kind(target)) ? engine::SizeText(d.Bytes(target)) : L"";
    default: return engine::ResultText(d, target);
    }
}

void ShowSortArrow() {
    HWND header = ListView_GetHeader(Control(id::List));
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, c, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == g.sortColumn) item.fmt |= g.descending ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, c, &item);
    }
}

void Sort(int column) {
    if (column == g.sortColumn) {
        g.descending = !g.descending;
    } else {
        g.sortColumn = column;
        g.descending = column == kSize;  // the largest first
    }
    const RunDetails& d = *g.details;
    auto less = [&](uint32_t a, uint32_t b) {
        switch (column) {
        case kKind:
            if (d.Kind(a) != d.Kind(b)) return d.Kind(a) < d.Kind(b);
            return a < b;
        case kSize:
            if (d.Bytes(a) != d.Bytes(b)) return d.Bytes(a) < d.Bytes(b);
            return a < b;
        case kResult: {
            int c = engine::ResultText(d, a).compare(engine::ResultText(d, b));
            return c != 0 ? c < 0 : a < b;
        }
        default: return d.PathBefore(a, b);
        }
    };
    if (g.descending) std::sort(g.order.begin(), g.order.end(), [&](uint32_t a, uint32_t b) { return less(b, a); });
    else std::sort(g.order.begin(), g.order.end(), less);
    ShowSortArrow();
    InvalidateRect(Control(id::List), nullptr, FALSE);
}

std::wstring TotalText(const RunDetails::Row& row, size_t shown) {
    const engine::RowTally& t = row.tally;
    std::wstring text = L"Total: " + std::to_wstring(shown) + (shown == 1 ? L" target, " : L" targets, ") +
                        engine::SizeText(t.bytes);
    if (t.left) text += L"; " + std::to_wstring(t.left) + (g.details->preview() ? L" will stay" : L" left");
    if (t.notOverwritten) text += L"; " + std::to_wstring(t.notOverwritten) + L" not overwritten";
    if (t.atReboot)
        text += L"; " + std::to_wstring(t.atReboot) + (g.details->preview() ? L" to be marked" : L" marked") +
                L" for deletion at restart";
    if (t.notMarked) text += L"; " + std::to_wstring(t.notMarked) + L" not marked for deletion at restart";
    if (!row.note.empty()) text += L"; " + row.note;
    if (g.details->truncated() && row.last == g.details->TargetCount())
        text += L" (the list stops at " + std::to_wstring(g.details->TargetCount()) + L" targets)";
    return text;
}

void Fill(size_t rowNumber) {
    const RunDetails& d = *g.details;
    const RunDetails::Row& row = d.row(rowNumber);
    g.order.resize(row.last - row.first);
    std::iota(g.order.begin(), g.order.end(), static_cast<uint32_t>(row.first));
    g.sortColumn = -1;  // the order the run heard them
    g.descending = false;
    ShowSortArrow();

    std::wstring title = L"Details - " + row.label;
    SetWindowTextW(g.hwnd, title.c_str());
    std::wstring caption = d.preview() ? L"What a clean would remove (found by Analyze: nothing has been removed)"
                                       : L"What the clean removed, and what it left";
    if (d.secure()) caption += L"; files are overwritten before they are deleted";
    SetWindowTextW(Control(id::Caption), caption.c_str());
    SetWindowTextW(Control(id::Total), TotalText(row, g.order.size()).c_str());
    HWND list = Control(id::List);
    ListView_SetItemCountEx(list, static_cast<int>(g.order.size()), 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Layout() {
    RECT rc;
    GetClientRect(g.hwnd, &rc);
    const int m = ui::Px(10), w = rc.right, h = rc.bottom;
    const int button = ui::Px(84), buttonH = ui::Px(28), line = ui::Px(18);
    MoveWindow(Control(id::Caption), m, m, w - 2 * m, line, TRUE);
    MoveWindow(Control(id::List), m, m + line + ui::Px(6), w - 2 * m, h - 3 * m - line - ui::Px(6) - buttonH, TRUE);
    MoveWindow(Control(id::Total), m, h - m - buttonH + ui::Px(6), w - 3 * m - button, line, TRUE);
    MoveWindow(Control(id::Close), w - m - button, h - m - buttonH, button, buttonH, TRUE);
}

void CreateControls(HWND hwnd) {
    ui::Label(hwnd, L"", 10, 10, 700, 18, id::Caption, SS_LEFT | SS_ENDELLIPSIS);
    HWND list = ui::Child(hwnd, WC_LISTVIEWW, L"",
                          WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 10, 34, 700, 300,
                          id::List);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = const_cast<wchar_t*>(kColumns[c].title);
        col.cx = ui::Px(kColumns[c].width);
        col.fmt = kColumns[c].format;
        ListView_InsertColumn(list, c, &col);
    }
    ui::Label(hwnd, L"", 10, 350, 500, 18, id::Total, SS_LEFT | SS_ENDELLIPSIS, ui::BoldFont());
    ui::Child(hwnd, L"BUTTON", L"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 620, 346, 84, 28, id::Close);
}

LRESULT OnNotify(const NMHDR* n) {
    if (n->idFrom != static_cast<UINT_PTR>(id::List)) return 0;
    switch (n->code) {
    case LVN_GETDISPINFOW: {
        auto* di = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(n));
        if (!(di->item.mask & LVIF_TEXT) || di->item.iItem < 0 || di->item.iItem >= static_cast<int>(g.order.size()))
            return 0;
        g.cell = CellText(g.order[di->item.iItem], di->item.iSubItem);
        if (di->item.cchTextMax > 0) lstrcpynW(di->item.pszText, g.cell.c_str(), di->item.cchTextMax);
        return 0;
    }
    case LVN_COLUMNCLICK:
        Sort(reinterpret_cast<const NMLISTVIEW*>(n)->iSubItem);
        return 0;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(n)->wVKey == VK_ESCAPE) Close();
        return 0;
    }
    return 0;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        g.hwnd = hwnd;
        CreateControls(hwnd);
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        mm->ptMinTrackSize = {ui::Px(420), ui::Px(240)};
        return 0;
    }
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_COMMAND:
        if (LOWORD(wp) == id::Close || LOWORD(wp) == IDCANCEL) Close();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        g = State();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Register() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    done = true;
}

}  // namespace

HWND Show(HWND owner, std::shared_ptr<const RunDetails> details, size_t row) {
    if (!details || row >= details->RowCount()) return nullptr;
    if (!g.hwnd) {
        Register();
        RECT rc = {0, 0, ui::Px(740), ui::Px(440)};
        DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        AdjustWindowRectEx(&rc, style, FALSE, 0);
        CreateWindowExW(0, kClass, L"Details", style, CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left,
                        rc.bottom - rc.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!g.hwnd) return nullptr;
        ui::CenterOnScreen(g.hwnd);
        Layout();
    }
    g.details = std::move(details);
    Fill(row);
    ShowWindow(g.hwnd, SW_SHOW);
    SetForegroundWindow(g.hwnd);
    SetFocus(Control(id::List));
    return g.hwnd;
}

void Close() {
    if (g.hwnd) DestroyWindow(g.hwnd);
}

HWND Window() { return g.hwnd; }

HWND Control(int controlId) { return g.hwnd ? GetDlgItem(g.hwnd, controlId) : nullptr; }

}  // namespace nv::frmDetails
