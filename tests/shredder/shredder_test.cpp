// The File Shredder: its list and question, and what shredding does to
// files, folders and whatever it must leave.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <map>

#include "../foundation/erase_helpers.h"
#include "foundation/app_path.h"
#include "foundation/secure_erase.h"
#include "foundation/text.h"
#include "planted_links.h"
#include "recorders.h"
#include "sandbox.h"
#include "ui/ui.h"
#include "shredder/shred.h"
#include "shredder/window.h"

using namespace nv;
using namespace nv::shredder;

namespace {

uint64_t Letters(const std::wstring& path) {
    std::string s = nvtest::ReadText(path);
    return std::count(s.begin(), s.end(), 'A');
}

std::map<std::wstring, std::wstring> ByPath(const std::vector<Outcome>& lines) {
    std::map<std::wstring, std::wstring> m;
    for (const auto& o : lines) m[o.path] = o.text;
    return m;
}

TEST(Shredding, FilesAndFoldersAreOverwrittenBeforeTheyGo) {
    nvtest::ScratchDir dir(L"shred");
    const std::wstring file = dir / L"one.dat", a = dir / L"f\\a.dat", b = dir / L"f\\sub\\b.dat";
    for (const auto& f : {file, a, b}) nvtest::WriteFile(f, 70000, 'A');
    // At each flushed overwrite, the non-zero bytes of all three files, read
    // through handles opened before with delete sharing: what anyone
    // reading the disk would find while the names are still there.
    std::vector<ScopedFile> readers;
    for (const auto& f : {file, a, b})
        readers.emplace_back(CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<size_t> nonZero;
    erasefs::detail::SetOverwrittenHook([&] {
        size_t n = 0;
        for (const auto& h : readers) {
            std::string buf(70000, '\0');
            DWORD got = 0;
            SetFilePointer(h.get(), 0, nullptr, FILE_BEGIN);
            ReadFile(h.get(), buf.data(), 70000, &got, nullptr);
            n += got - std::count(buf.begin(), buf.begin() + got, '\0');
        }
        nonZero.push_back(n);
    });
    auto one = Shred(file);
    auto folder = Shred(dir / L"f");
    erasefs::detail::SetOverwrittenHook(nullptr);
    ASSERT_EQ(one.size() + folder.size(), 2u);
    EXPECT_TRUE(one[0].shredded && folder[0].shredded);
    EXPECT_EQ(one[0].text + L" " + NumberText(one[0].bytes) + L" " + NumberText(folder[0].bytes),
              L"Shredded 70000 140000");
    EXPECT_EQ(nonZero, (std::vector<size_t>{140000, 70000, 0}));  // zeros, file after file
    EXPECT_FALSE(nvtest::Exists(file));
    EXPECT_FALSE(nvtest::Exists(dir / L"f"));
}

TEST(Shredding, WhatItLeavesAndWhy) {
    nvtest::LinkCase lc(L"shredder");
    NEED_LINKS(lc);
    nvtest::ScratchDir dir(L"leave"), app(L"shredapp");
    SetAppFolderForTests(app.path());
    const std::wstring held = dir / L"held.dat", shared = dir / L"shared.dat", hard = dir / L"hard.dat",
                       twin = dir / L"twin.dat", ro = dir / L"ro.dat", inFolder = dir / L"f\\held.dat",
                       freeInFolder = dir / L"f\\free.dat", own = app / L"cleaner.exe";
    for (const auto& f : {held, shared, hard, ro, inFolder, freeInFolder, own}) nvtest::WriteFile(f, 3000, 'A');
    ASSERT_TRUE(CreateHardLinkW(twin.c_str(), hard.c_str(), nullptr));
    erasetest::SetAttrs(ro, FILE_ATTRIBUTE_READONLY);
    erasetest::Held lock(held), lockInside(inFolder);
    // Held open by a program that lets others delete it but not write it:
    // left, rather than deleted without its overwrite.
    ScopedFile open(CreateFileW(shared.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.ok() && lockInside.ok() && open);
    int overwrites = 0;
    erasefs::detail::SetOverwrittenHook([&] { ++overwrites; });

    const struct {
        std::wstring path, result;
    } cases[] = {
        {held, L"Left: in use by another program"},
        {shared, L"Left: in use by another program"},
        {hard, L"Left: other hard links keep its content"},
        {ro, L"Left: read-only"},
        {lc.tree() + L"\\keep.txt", L"Left: a link, never followed"},
        {lc.tree() + L"\\dlink", L"Left: a link, never followed"},
        {L"C:\\", L"Left: a protected folder, never shredded"},
        {WindowsFolder(), L"Left: a protected folder, never shredded"},
        {app.path(), L"Left: part of this program"},
        {own, L"Left: part of this program"},
        {L"C:\\nvtest", L"Left: part of this program"},  // it holds the program
        {dir / L"missing.dat", L"Left: not found"},
        {dir / L"f", L"Left: some of its content was not shredded"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(nvtest::Narrow(tc.path));
        auto lines = Shred(tc.path);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].text, tc.result);
        EXPECT_FALSE(lines[0].shredded);
    }
    auto inside = ByPath(Shred(dir / L"f"));
    EXPECT_EQ(inside[inFolder], L"Left: in use by another program");
    // The whole link case folder: its files go, its links stay, their targets are whole.
    auto tree = ByPath(Shred(lc.tree()));
    EXPECT_EQ(tree[lc.tree()], L"Left: some of its content was not shredded");
    EXPECT_EQ(tree[lc.tree() + L"\\flink.txt"], L"Left: a link, never followed");
    EXPECT_EQ(tree[lc.tree() + L"\\sub\\cache"], L"Left: a link, never followed");
    EXPECT_FALSE(nvtest::Exists(lc.tree() + L"\\real.txt"));
    lc.ExpectTargetsIntact();

    erasefs::detail::SetOverwrittenHook(nullptr);
    SetAppFolderForTests(L"");
    EXPECT_EQ(overwrites, 3);  // free.dat and the tree's two real files, nothing else
    for (const auto& f : {held, shared, hard, twin, ro, inFolder, own})
        EXPECT_EQ(Letters(f), 3000u) << nvtest::Narrow(f);
    EXPECT_FALSE(nvtest::Exists(freeInFolder));
}

// A drop from Explorer: the DROPFILES block the shell hands over.
HDROP DropOf(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& p : paths) list += p + L'\0';
    list += L'\0';
    HGLOBAL g = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(g));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    memcpy(df + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(g);
    return static_cast<HDROP>(g);
}

std::wstring Cell(HWND list, int row, int col) {
    wchar_t buf[512] = {};
    ListView_GetItemText(list, row, col, buf, 512);
    return buf;
}

TEST(ShredderWindow, ListDropRemoveQuestionAndResults) {
    nvtest::ScratchDir dir(L"shredwin");
    nvtest::RecordingPrompter prompts;
    const std::wstring a = dir / L"a.dat", b = dir / L"b.dat", c = dir / L"d\\c.dat";
    for (auto [f, n] : {std::pair{a, 1000}, {b, 2000}, {c, 3000}}) nvtest::WriteFile(f, n);
    HWND w = CreateShredderWindow({a, b, a, L"C:\\"}, SW_HIDE);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ui::GetText(w), L"File Shredder");
    HWND list = GetDlgItem(w, IDC_LIST), results = GetDlgItem(w, IDC_RESULTS);
    EXPECT_EQ(ListedPaths(w), (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(Cell(list, 1, 1), L"2.0 KB");
    EXPECT_EQ(Cell(results, 0, 0), L"C:\\");  // refused at once, with the reason
    EXPECT_EQ(Cell(results, 0, 2), L"Left: a protected folder, never shredded");

    SendMessageW(w, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({dir / L"d", b})), 0);
    EXPECT_EQ(ListedPaths(w), (std::vector<std::wstring>{a, b, dir / L"d"}));
    EXPECT_EQ(ui::GetText(GetDlgItem(w, IDC_TOTAL)), L"3 items, 5.9 KB");
    LVITEMW sel{};
    sel.stateMask = sel.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&sel));
    SendMessageW(w, WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_EQ(ListedPaths(w), (std::vector<std::wstring>{a, dir / L"d"}));

    prompts.answer = IDNO;
    SendMessageW(w, WM_COMMAND, IDC_SHRED, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              L"The 2 items listed (3.9 KB) will be overwritten and deleted. They cannot be recovered.");
    EXPECT_EQ(prompts.shown[0].flags & (MB_TYPEMASK | MB_DEFMASK), static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_TRUE(nvtest::Exists(a) && nvtest::Exists(c));

    prompts.answer = IDYES;
    SendMessageW(w, WM_COMMAND, IDC_SHRED, 0);
    EXPECT_FALSE(nvtest::Exists(a) || nvtest::Exists(c));
    EXPECT_TRUE(nvtest::Exists(b));
    EXPECT_TRUE(ListedPaths(w).empty());
    EXPECT_EQ(Cell(results, 0, 0) + L"|" + Cell(results, 0, 2), a + L"|Shredded");
    EXPECT_EQ(Cell(results, 1, 0) + L"|" + Cell(results, 1, 2), dir / L"d" + L"|Shredded");
    EXPECT_EQ(SendMessageW(GetDlgItem(w, IDC_PROGRESS), PBM_GETPOS, 0, 0), 2);

    nvtest::RecordingLauncher launcher;  // "Why?" opens the help page on the limits
    NMHDR why{GetDlgItem(w, IDC_WHY), static_cast<UINT_PTR>(IDC_WHY), static_cast<UINT>(NM_CLICK)};
    SendMessageW(w, WM_NOTIFY, IDC_WHY, reinterpret_cast<LPARAM>(&why));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_NE(launcher.started[0].commandLine.find(L"help.chm::/shredder.html"), std::wstring::npos);
    DestroyWindow(w);
}

}  // namespace
