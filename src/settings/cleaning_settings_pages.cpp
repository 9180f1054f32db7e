// The pages of the Cleaning Settings dialog, built from the profile table:
// each group's boxes are the table's items of that group, in table order,
// laid out in columns measured with the dialog's font so that no caption is
// clipped, and every group stretched to fill its page.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "settings/cleaning_settings_impl.h"
#include "foundation/selection_profile.h"
#include "ui/resource.h"
#include "ui/ui.h"

namespace nv::frmsettings {
namespace {

namespace id = ids::frmsettings;
using profile::ItemKey;

enum class Kind { Groups, Browsers, Applications, Custom };

struct PageLayout {
    const wchar_t* caption;
    Kind kind;
    GroupLayout columns[2][2];  // up to two columns of up to two groups
};

constexpr wchar_t kOffice[] = L"MS Office(support 97, 2000, XP, 2003, 2007,2010)";
constexpr wchar_t kCustomGroup[] = L"Select Folder and Files That will Be Erased";

constexpr PageLayout kPages[] = {
    {L"Browsers", Kind::Browsers, {}},
    {L"Windows", Kind::Groups, {{{L"Windows", 2, 31}}}},
    {L"Microsoft Office", Kind::Groups, {{{kOffice, 2, 41}}}},
    {L"Applications", Kind::Applications, {}},
    {L"Custom Item", Kind::Custom, {}},
    {L"Instant Messaging",
     Kind::Groups,
     {{{L"Windows Live Messenger", 1, 0}, {L"AOL Instant Messenger", 1, 0}},
      {{L"ICQ", 1, 0}, {L"Yahoo! Messenger", 1, 0}}}},
    {L"Email Readers", Kind::Groups, {{{L"Outlook Express", 1, 127}}, {{L"Windows Mail", 1, 128}}}},
};

struct BrowserPage {
    const wchar_t* caption;
    GroupLayout group;
};
constexpr BrowserPage kBrowserPages[] = {
    {L"Internet Explorer", {L"Internet Explorer", 1, 9}}, {L"Firefox", {L"Mozilla Firefox", 1, 46}},
    {L"Opera", {L"Opera", 1, 13}},                         {L"Netscape", {L"Netscape Navigator", 1, 14}},
    {L"AOL Explorer", {L"AOL Explorer", 1, 47}},           {L"MSN Explorer", {L"MSN Exploer", 1, 19}},
    {L"Mozilla", {L"Mozilla", 1, 68}},                     {L"Maxthon Browser", {L"Maxthon Browser", 1, 133}},
    {L"Google Chrome", {L"Google Chrome", 1, 140}},        {L"Safari", {L"Safari", 1, 145}},
};

constexpr wchar_t kSelectAll[] = L"Select all of the above";
constexpr wchar_t kPluginHint[] = L"Tick the applications to clean. Grey rows are not installed on this computer.";

// Design pixels at 96 dpi.
constexpr int kMargin = 8, kPadX = 12, kPadTop = 22, kPadBottom = 10, kRow = 22, kBoxExtra = 26, kColGap = 18,
              kGroupGap = 8, kSelectGap = 8, kButtonW = 75, kButtonH = 23, kOptionsGap = 12;

// The item boxes the "Options" buttons stand beside: typed addresses and cookies.
constexpr int kUrlOptionsBox = 1, kCookieOptionsBox = 4;

HWND Make(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int ctlId,
          DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctlId)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ui::MessageFont()), FALSE);
    return hwnd;
}

// Pages pass their controls' notifications on to the dialog.
INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND || msg == WM_NOTIFY) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT,
                          SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wp, lp));
        return TRUE;
    }
    return FALSE;
}

HWND MakePage(HWND parent, int ctlId) {
    HWND page = ui::CodeDialog(parent, WS_CHILD | DS_CONTROL, L"", PageProc, 0);
    SetWindowLongPtrW(page, GWLP_ID, ctlId);
    return page;
}

class Measure {
public:
    explicit Measure(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) { old_ = SelectObject(dc_, ui::MessageFont()); }
    ~Measure() {
        SelectObject(dc_, old_);
        ReleaseDC(hwnd_, dc_);
    }
    int Width(const wchar_t* text) const {
        SIZE s{};
        GetTextExtentPoint32W(dc_, text, lstrlenW(text), &s);
        return s.cx;
    }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_;
};

// One group of boxes, measured: its items, the width of each box column and
// the natural size of the whole frame.
struct Group {
    const GroupLayout* spec = nullptr;
    std::vector<const ItemKey*> items;
    std::vector<int> colWidths;
    int rows = 0;
    bool options = false;  // holds the boxes the "Options" buttons stand beside
    SIZE natural{};

    Group() = default;
    Group(const GroupLayout& s, const Measure& m) : spec(&s) {
        for (const ItemKey& k : profile::ItemKeys())
            if (lstrcmpW(k.group, s.group) == 0) items.push_back(&k);
        rows = static_cast<int>((items.size() + s.columns - 1) / s.columns);
        colWidths.assign(s.columns, 0);
        for (size_t i = 0; i < items.size(); ++i) {
            int& w = colWidths[i / rows];
            w = std::max(w, m.Width(items[i]->caption) + ui::Px(kBoxExtra));
            options = options || items[i]->checkBox == kUrlOptionsBox;
        }
        int width = ui::Px(kColGap) * (s.columns - 1);
        for (int w : colWidths) width += w;
        if (options) width += ui::Px(kOptionsGap + kButtonW);
        if (s.selectAll) width = std::max(width, m.Width(kSelectAll) + ui::Px(kBoxExtra));
        natural.cx = width + 2 * ui::Px(kPadX);
        natural.cy = ui::Px(kPadTop + kPadBottom) + rows * ui::Px(kRow) + (s.selectAll ? ui::Px(kSelectGap + kRow) : 0);
    }
};

// The frame and boxes of a measured group, stretched over `r`.
void PlaceGroup(const Group& g, HWND parent, RECT r, std::array<HWND, 160>& boxes) {
    Make(parent, L"BUTTON", g.spec->group, BS_GROUPBOX, r.left, r.top, r.right - r.left, r.bottom - r.top, -1);
    const int cols = static_cast<int>(g.colWidths.size());
    const int extra = std::max(0, static_cast<int>(r.right - r.left) - static_cast<int>(g.natural.cx)) / cols;
    const int rowH = ui::Px(kRow), boxH = ui::Px(20);
    int x = r.left + ui::Px(kPadX);
    for (int c = 0; c < cols; ++c) {
        for (int row = 0; row < g.rows; ++row) {
            size_t i = static_cast<size_t>(c * g.rows + row);
            if (i >= g.items.size()) break;
            const ItemKey& k = *g.items[i];
            int y = r.top + ui::Px(kPadTop) + row * rowH;
            boxes[k.checkBox] = Make(parent, L"BUTTON", k.caption, BS_AUTOCHECKBOX | WS_TABSTOP, x, y,
                                     g.colWidths[c], boxH, id::Check(k.checkBox));
            if (k.checkBox == kUrlOptionsBox || k.checkBox == kCookieOptionsBox)
                Make(parent, L"BUTTON", L"Options", BS_PUSHBUTTON | WS_TABSTOP, x + g.colWidths[c] + ui::Px(kOptionsGap),
                     y - ui::Px(1), ui::Px(kButtonW), ui::Px(kButtonH),
                     k.checkBox == kUrlOptionsBox ? id::Command7 : id::Command8);
        }
        x += g.colWidths[c] + ui::Px(kColGap) + extra;
    }
    if (int n = g.spec->selectAll) {
        int y = r.top + ui::Px(kPadTop) + g.rows * rowH + ui::Px(kSelectGap);
        Make(parent, L"STATIC", L"", SS_ETCHEDHORZ, r.left + ui::Px(kPadX), y - ui::Px(4),
             r.right - r.left - 2 * ui::Px(kPadX), 2, -1);
        boxes[n] = Make(parent, L"BUTTON", kSelectAll, BS_AUTOCHECKBOX | WS_TABSTOP, r.left + ui::Px(kPadX), y,
                        std::max<int>(ui::Px(kBoxExtra), r.right - r.left - 2 * ui::Px(kPadX)), boxH, id::Check(n));
    }
}

// A page of group columns: natural size, and placement over the page's client.
struct GroupPage {
    std::vector<std::vector<Group>> columns;

    GroupPage(const PageLayout& p, const Measure& m) {
        for (const auto& col : p.columns) {
            std::vector<Group> groups;
            for (const auto& g : col)
                if (g.group) groups.emplace_back(g, m);
            if (!groups.empty()) columns.push_back(std::move(groups));
        }
    }
    int ColumnWidth(const std::vector<Group>& col) const {
        int w = 0;
        for (const Group& g : col) w = std::max<int>(w, g.natural.cx);
        return w;
    }
    SIZE Natural() const {
        SIZE s{ui::Px(kMargin), 0};
        for (const auto& col : columns) {
            int h = ui::Px(kMargin);
            for (const Group& g : col) h += g.natural.cy + ui::Px(kGroupGap);
            s.cx += ColumnWidth(col) + ui::Px(kMargin);
            s.cy = std::max<LONG>(s.cy, h);
        }
        return s;
    }
    // Columns share the spare width; the last group of a column reaches the bottom.
    void Place(HWND page, SIZE area, std::array<HWND, 160>& boxes) const {
        const int n = static_cast<int>(columns.size());
        const int spare = std::max<int>(0, area.cx - Natural().cx) / n;
        int x = ui::Px(kMargin);
        for (const auto& col : columns) {
            int w = ColumnWidth(col) + spare, y = ui::Px(kMargin);
            for (size_t i = 0; i < col.size(); ++i) {
                int bottom = i + 1 == col.size() ? area.cy - ui::Px(kMargin) : y + col[i].natural.cy;
                PlaceGroup(col[i], page, {x, y, x + w, bottom}, boxes);
                y = bottom + ui::Px(kGroupGap);
            }
            x += w + ui::Px(kMargin);
        }
    }
};

RECT DisplayRect(HWND tab) {
    RECT r;
    GetClientRect(tab, &r);
    TabCtrl_AdjustRect(tab, FALSE, &r);
    MapWindowPoints(tab, GetParent(tab), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void AddTabs(HWND tab, const wchar_t* const* captions, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[i]);
        TabCtrl_InsertItem(tab, static_cast<int>(i), &item);
    }
}

void MoveOver(HWND page, const RECT& r) {
    SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
}

// The Applications page: the plug-in list over a line saying where plug-ins
// come from, beside the button that imports a Winapp2 file.
HWND PlaceApplicationsPage(HWND page, SIZE size) {
    const int margin = ui::Px(kMargin), w = size.cx - 2 * margin, h = size.cy - 2 * margin;
    const int bw = ui::Px(kButtonW), bh = ui::Px(kButtonH), rowY = margin + h - bh;
    HWND list = Make(page, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, margin,
                     margin, w, h - bh - ui::Px(6), id::ListView1, WS_EX_CLIENTEDGE);
    Make(page, L"STATIC", kPluginHint, SS_LEFT | SS_ENDELLIPSIS | SS_CENTERIMAGE, margin, rowY, w - bw - ui::Px(8), bh,
         ids::applications::Hint);
    Make(page, L"BUTTON", L"Import...", BS_PUSHBUTTON | WS_TABSTOP, margin + w - bw, rowY, bw, bh,
         ids::applications::cmdImport);
    return list;
}

// The Custom Item page: its group with the list, its item box and three buttons.
HWND PlaceCustomPage(HWND page, SIZE size, const Measure& m, std::array<HWND, 160>& boxes) {
    const int margin = ui::Px(kMargin), w = size.cx - 2 * margin, h = size.cy - 2 * margin;
    const int pad = ui::Px(kPadX), bw = ui::Px(kButtonW), bh = ui::Px(kButtonH), gap = ui::Px(6);
    const int rowY = margin + h - ui::Px(kPadBottom) - bh;
    Make(page, L"BUTTON", kCustomGroup, BS_GROUPBOX, margin, margin, w, h, -1);
    HWND list = Make(page, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, margin + pad,
                     margin + ui::Px(kPadTop), w - 2 * pad, rowY - ui::Px(8) - margin - ui::Px(kPadTop), id::ListView2,
                     WS_EX_CLIENTEDGE);
    for (const auto& k : profile::ItemKeys())
        if (lstrcmpW(k.group, kCustomGroup) == 0)
            boxes[k.checkBox] = Make(page, L"BUTTON", k.caption, BS_AUTOCHECKBOX | WS_TABSTOP, margin + pad,
                                     rowY + ui::Px(2), m.Width(k.caption) + ui::Px(kBoxExtra), ui::Px(20),
                                     id::Check(k.checkBox));
    int x = margin + w - pad - 3 * bw - 2 * gap;
    for (auto [text, ctl] : {std::pair{L"Add", id::Command101}, std::pair{L"Remove", id::Command102},
                             std::pair{L"Clear", id::Command2}}) {
        Make(page, L"BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, x, rowY, bw, bh, ctl);
        x += bw + gap;
    }
    return list;
}

}  // namespace

const GroupLayout* SelectAllGroup(int n) {
    if (n <= 0) return nullptr;
    for (const auto& b : kBrowserPages)
        if (b.group.selectAll == n) return &b.group;
    for (const auto& p : kPages)
        for (const auto& col : p.columns)
            for (const auto& g : col)
                if (g.group && g.selectAll == n) return &g;
    return nullptr;
}

void Dialog::BuildPages() {
    Measure m(hwnd_);
    const int margin = ui::Px(kMargin);

    // The tab controls first: their headers decide how much room the pages get.
    tab1_ = Make(hwnd_, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, margin, margin, ui::Px(600), ui::Px(400),
                 id::SSTab1);
    const wchar_t* captions[std::size(kPages)];
    for (size_t i = 0; i < std::size(kPages); ++i) captions[i] = kPages[i].caption;
    AddTabs(tab1_, captions, std::size(kPages));
    for (size_t i = 0; i < std::size(kPages); ++i) pages_.push_back(MakePage(hwnd_, id::kPageBase + static_cast<int>(i)));
    HWND browsers = pages_[0];
    tab2_ = Make(browsers, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS | TCS_MULTILINE, margin, margin,
                 ui::Px(600), ui::Px(400), id::SSTab2);
    const wchar_t* browserCaptions[std::size(kBrowserPages)];
    for (size_t i = 0; i < std::size(kBrowserPages); ++i) browserCaptions[i] = kBrowserPages[i].caption;
    AddTabs(tab2_, browserCaptions, std::size(kBrowserPages));
    for (size_t i = 0; i < std::size(kBrowserPages); ++i)
        browserPages_.push_back(MakePage(browsers, id::kBrowserPageBase + static_cast<int>(i)));

    // The room every page needs.
    std::vector<GroupPage> groupPages;
    SIZE area{ui::Px(600), ui::Px(330)};  // the lists of the Applications and Custom Item pages
    for (const auto& p : kPages) {
        if (p.kind != Kind::Groups) continue;
        groupPages.emplace_back(p, m);
        SIZE s = groupPages.back().Natural();
        area.cx = std::max(area.cx, s.cx);
        area.cy = std::max(area.cy, s.cy);
    }
    std::vector<Group> browserGroups;
    SIZE browserNeed{};
    for (const auto& b : kBrowserPages) {
        browserGroups.emplace_back(b.group, m);
        browserNeed.cx = std::max<LONG>(browserNeed.cx, browserGroups.back().natural.cx + 2 * margin);
        browserNeed.cy = std::max<LONG>(browserNeed.cy, browserGroups.back().natural.cy + 2 * margin);
    }
    // The browser tabs wrap onto as many rows as their width needs: grow the
    // page until a browser page fits below them.
    RECT inner{};
    for (int pass = 0; pass < 4; ++pass) {
        MoveWindow(tab2_, margin, margin, area.cx - 2 * margin, area.cy - 2 * margin, FALSE);
        inner = DisplayRect(tab2_);
        LONG dx = browserNeed.cx - (inner.right - inner.left), dy = browserNeed.cy - (inner.bottom - inner.top);
        if (dx <= 0 && dy <= 0) break;
        area.cx += std::max<LONG>(dx, 0);
        area.cy += std::max<LONG>(dy, 0);
    }

    // The outer tab around the page area, the buttons below it.
    RECT outer{0, 0, area.cx, area.cy};
    TabCtrl_AdjustRect(tab1_, TRUE, &outer);
    const int tabW = outer.right - outer.left, tabH = outer.bottom - outer.top;
    MoveWindow(tab1_, margin, margin, tabW, tabH, FALSE);
    const RECT pageRect = DisplayRect(tab1_);
    const int buttonsY = margin + tabH + margin, clientW = tabW + 2 * margin;
    const int clientH = buttonsY + ui::Px(kButtonH) + margin;
    Make(hwnd_, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, clientW - margin - 2 * ui::Px(kButtonW) - margin,
         buttonsY, ui::Px(kButtonW), ui::Px(kButtonH), id::Command1);
    Make(hwnd_, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, clientW - margin - ui::Px(kButtonW), buttonsY,
         ui::Px(kButtonW), ui::Px(kButtonH), id::Command3);
    SendMessageW(hwnd_, DM_SETDEFID, id::Command1, 0);
    RECT frame{0, 0, clientW, clientH};
    AdjustWindowRectEx(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);

    for (HWND page : pages_) MoveOver(page, pageRect);
    for (HWND page : browserPages_) MoveOver(page, inner);
    const SIZE pageSize{pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
    const SIZE browserSize{inner.right - inner.left, inner.bottom - inner.top};

    for (size_t i = 0; i < browserGroups.size(); ++i)
        PlaceGroup(browserGroups[i], browserPages_[i],
                   {margin, margin, browserSize.cx - margin, browserSize.cy - margin}, boxes_);
    size_t nextGroupPage = 0;
    for (size_t i = 0; i < std::size(kPages); ++i) {
        switch (kPages[i].kind) {
        case Kind::Groups: groupPages[nextGroupPage++].Place(pages_[i], pageSize, boxes_); break;
        case Kind::Browsers: break;
        case Kind::Applications: list1_ = PlaceApplicationsPage(pages_[i], pageSize); break;
        case Kind::Custom: list2_ = PlaceCustomPage(pages_[i], pageSize, m, boxes_); break;
        }
    }
    ShowPage(tab1_, pages_);
    ShowPage(tab2_, browserPages_);
}

void Dialog::ShowPage(HWND tab, const std::vector<HWND>& pages) {
    int sel = TabCtrl_GetCurSel(tab);
    for (size_t i = 0; i < pages.size(); ++i) ShowWindow(pages[i], static_cast<int>(i) == sel ? SW_SHOW : SW_HIDE);
}

}  // namespace nv::frmsettings
