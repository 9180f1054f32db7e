#include "search/search_window.h"

#include <gtest/gtest.h>

#include <deque>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "search_helpers.h"
#include "shell/dialog_openers.h"
#include "ui/resource.h"
#include "ui/ui.h"

using namespace nv;
using namespace nv::search;
namespace id = nv::ids::locate;
using usersettings::GetSetting;

namespace {

// Answers questions in order; unanswered ones get IDNO.
struct Answers : nvtest::RecordingPrompter {
    std::deque<int> next;
    int Show(const std::wstring& text, const std::wstring& title, UINT flags) override {
        shown.push_back({text, title, flags});
        int a = next.empty() ? IDNO : next.front();
        if (!next.empty()) next.pop_front();
        return a;
    }
};

constexpr wchar_t kRisk[] =
    L"Deleting file from your Hard Disk is risky... make sure you know what your doing!\r\nDo you want to "
    L"continue?\r\n(if you click yes, this message will no apear again)";

class Locate : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(app_.path());
        nvtest::WriteText(app_ / L"Ext.txt", "*.tmp\r\n*.gid\r\n");
    }
    void TearDown() override {
        frmLocate::Unload();
        SetAppFolderForTests(L"");
    }
    frmLocate* Open() {
        w_ = frmLocate::Load(nullptr, {.showAbout = [this](HWND) { ++abouts_; }});
        EXPECT_NE(w_, nullptr);
        return w_;
    }
    HWND C(int ctl) const { return w_->control(ctl); }
    std::wstring Text(int ctl) const { return ui::GetText(C(ctl)); }
    void Click(int ctl) { SendMessageW(C(ctl), BM_CLICK, 0, 0); }
    bool Checked(int ctl) const { return SendMessageW(C(ctl), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> r;
        for (LRESULT i = 0, n = SendMessageW(C(id::List1), LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring s(static_cast<size_t>(SendMessageW(C(id::List1), LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            s.resize(static_cast<size_t>(SendMessageW(C(id::List1), LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()))));
            r.push_back(s.substr(0, s.find(L"   Size:")));
        }
        return r;
    }
    void Deselect(const std::wstring& path) {
        auto lines = Lines();
        auto at = std::find(lines.begin(), lines.end(), path);
        ASSERT_NE(at, lines.end()) << nvtest::Narrow(path);
        SendMessageW(C(id::List1), LB_SETSEL, FALSE, at - lines.begin());
    }
    LRESULT Selected() const { return SendMessageW(C(id::List1), LB_GETSELCOUNT, 0, 0); }
    // Finds in `folder` with this search string.
    void Search(const std::wstring& folder, const std::wstring& search) {
        SetWindowTextW(C(id::Text1), search.c_str());
        w_->SetDir1Path(folder);
    }

    nvtest::ScratchDir app_{L"app"};
    nvtest::ScratchDir tree_{L"tree"};
    searchtest::CleanSettings settings_;
    Answers prompts_;
    frmLocate* w_ = nullptr;
    int abouts_ = 0;
};

}  // namespace

TEST_F(Locate, LoadsWithItsControlsMenusAndSettings) {
    Open();
    EXPECT_EQ(ui::GetText(w_->hwnd()), L"Search && Erase");
    const std::pair<int, const wchar_t*> texts[] = {
        {id::Label1, L"Search String"}, {id::cmdAction0, L"&Find Files"}, {id::cmdAction1, L"E&xit"},
        {id::Options, L"Search and clean options"}, {id::chkDelType, L"Delete to RecycleBin"},
        {id::Check1, L"Include Sub Directories"}, {id::cmdDelete, L"&Delete selected"},
        {id::cmdSelectAll, L"Sele&ct All"}, {id::cmdUnSelectAll, L"Select N&one"}, {id::cmdOption, L"Option&s"},
        {id::Text1, L"*.tmp;*.gid"},
    };
    for (const auto& [ctl, text] : texts) EXPECT_EQ(Text(ctl), text) << ctl;
    EXPECT_TRUE(Checked(id::chkDelType));
    EXPECT_TRUE(Checked(id::Check1));
    EXPECT_TRUE(GetWindowLongPtrW(C(id::Frame1), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(w_->Dir1Path(), app_.path());

    const std::vector<std::vector<std::wstring>> menus = {
        {L"&File", L"E&xit"}, {L"&Options", L"Op&tions", L"&Reset All"}, {L"&Help", L"Abou&t"}};
    HMENU bar = GetMenu(w_->hwnd());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    for (int m = 0; m < 3; ++m) {
        wchar_t buf[64];
        GetMenuStringW(bar, m, buf, 64, MF_BYPOSITION);
        EXPECT_EQ(buf, menus[m][0]);
        HMENU sub = GetSubMenu(bar, m);
        ASSERT_EQ(GetMenuItemCount(sub) + 1, static_cast<int>(menus[m].size()));
        for (int i = 1; i < static_cast<int>(menus[m].size()); ++i) {
            GetMenuStringW(sub, i - 1, buf, 64, MF_BYPOSITION);
            EXPECT_EQ(buf, menus[m][i]);
        }
    }
    SendMessageW(w_->hwnd(), WM_COMMAND, id::menuAbout, 0);
    EXPECT_EQ(abouts_, 1);

    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> saved[] = {
        {L"StartUp", L"AppPath", app_.path() + L"\\"}, {L"StartUp", L"Recycele", L"1"},
        {L"StartUp", L"SubFolders", L"1"}, {L"General", L"TipNumber", L"1"}, {L"General", L"Prompt", L"1"}};
    for (const auto& [section, key, value] : saved) EXPECT_EQ(GetSetting(section, key, L"?"), value) << nvtest::Narrow(key);
    Click(id::Check1);
    Click(id::chkDelType);
    EXPECT_EQ(GetSetting(L"StartUp", L"SubFolders", L"?"), L"0");
    EXPECT_EQ(GetSetting(L"StartUp", L"Recycele", L"?"), L"0");
}

TEST_F(Locate, WithoutAnExtensionListTheSearchStringStartsFromTheDefaults) {
    DeleteFileW((app_ / L"Ext.txt").c_str());
    Open();
    EXPECT_EQ(Text(id::Text1), L"*.tmp;*.gid;*.swp;*.chk");
    EXPECT_EQ(nvtest::ReadText(app_ / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
    frmLocate::Unload();
    nvtest::WriteText(app_ / L"Ext.txt", "no pattern here\r\n");
    Open();
    EXPECT_EQ(Text(id::Text1), L"");
}

TEST_F(Locate, FindListsSelectsEverythingAndSummarises) {
    nvtest::WriteFile(tree_ / L"a.tmp", 1500);
    nvtest::WriteFile(tree_ / L"sub\\b.gid", 500);
    nvtest::WriteFile(tree_ / L"sub\\c.txt", 5);
    Open();
    Search(tree_.path(), L"*.tmp;*.gid;*.swp");
    EXPECT_EQ(GetSetting(L"StartUp", L"AppPath", L""), tree_.path());
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{tree_ / L"a.tmp", tree_ / L"sub\\b.gid"}));
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(Text(id::Status), L"    .tmp - 1    .gid - 1    .swp - 0\r\n2  Files Found  \r\nTotal size: 2kb");
    EXPECT_EQ(Text(id::cmdAction1), L"E&xit");
    EXPECT_FALSE(w_->busy());
    EXPECT_TRUE(IsWindowEnabled(C(id::cmdAction0)));

    // Find again, started by Enter in the search string, without subfolders.
    Click(id::Check1);
    SetWindowTextW(C(id::Text1), L"*.gid;*.tmp");
    SendMessageW(C(id::Text1), WM_CHAR, VK_RETURN, 0);
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{tree_ / L"a.tmp"}));
    EXPECT_EQ(Text(id::Status), L"    .gid - 0    .tmp - 1\r\n1  Files Found  \r\nTotal size: 1.5kb");

    // An empty search string finds nothing and leaves Exit.
    SetWindowTextW(C(id::Text1), L"");
    Click(id::cmdAction0);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Text(id::cmdAction1), L"E&xit");
}

TEST_F(Locate, StopEndsTheSearchAndASecondSearchCannotStartInsideIt) {
    for (int i = 0; i < 20; ++i) nvtest::WriteFile(tree_ / (L"d" + std::to_wstring(i) + L"\\f.tmp"), 1);
    Open();
    SetWindowTextW(C(id::Text1), L"*.tmp");
    // Handled at the search's first pump: Enter in the search string (a
    // second Find) and a folder change are refused while it runs.
    PostMessageW(C(id::Text1), WM_CHAR, VK_RETURN, 0);
    PostMessageW(C(id::Dir1), WM_LBUTTONDBLCLK, 0, 0);
    w_->SetDir1Path(tree_.path());
    EXPECT_EQ(Lines().size(), 20u);
    EXPECT_EQ(Selected(), 20);
    EXPECT_EQ(w_->Dir1Path(), tree_.path());

    PostMessageW(C(id::cmdAction1), BM_CLICK, 0, 0);  // reads "&Stop" by then
    SetWindowTextW(C(id::Status), L"before");
    Click(id::cmdAction0);
    EXPECT_TRUE(w_->StopRequested);
    EXPECT_EQ(Text(id::cmdAction1), L"E&xit");
    EXPECT_EQ(Text(id::Status), tree_.path() + L"\\");  // no summary after a stop
    EXPECT_FALSE(w_->busy());
}

TEST_F(Locate, DeleteForGoodAsksOnceSkipsWhatItCannotAndSearchesAgainWithoutSubfolders) {
    const std::wstring files[] = {L"a.tmp", L"ro.tmp", L"held.tmp", L"My  Docs\\x.tmp", L"\x65e5\x672c.tmp",
                                  L"keep.tmp", L"sub\\deep.tmp"};
    for (const auto& f : files) nvtest::WriteFile(tree_ / f, 10);
    nvtest::WriteFile(tree_ / L"My", 3);  // where a path cut at its first two blanks would point
    SetFileAttributesW((tree_ / L"ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    ScopedFile held(CreateFileW((tree_ / L"held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    Open();
    Click(id::chkDelType);  // for good
    Search(tree_.path(), L"*.tmp");
    ASSERT_EQ(Lines().size(), 7u);
    Deselect(tree_ / L"keep.tmp");

    Click(id::cmdDelete);  // No to the risk question
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, kRisk);
    EXPECT_EQ(prompts_.shown[0].title, L"Note");
    EXPECT_EQ(prompts_.shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
    EXPECT_EQ(Lines().size(), 7u);
    EXPECT_TRUE(nvtest::Exists(tree_ / L"a.tmp"));

    prompts_.next = {IDYES};
    Click(id::cmdDelete);
    EXPECT_EQ(GetSetting(L"General", L"Prompt", L""), L"0");
    for (const wchar_t* gone : {L"a.tmp", L"My  Docs\\x.tmp", L"\x65e5\x672c.tmp", L"sub\\deep.tmp"})
        EXPECT_FALSE(nvtest::Exists(tree_ / gone)) << nvtest::Narrow(gone);
    for (const wchar_t* kept : {L"ro.tmp", L"held.tmp", L"keep.tmp", L"My"})
        EXPECT_TRUE(nvtest::Exists(tree_ / kept)) << nvtest::Narrow(kept);
    // Searched again, this folder only; subfolders off from now on.
    EXPECT_FALSE(Checked(id::Check1));
    EXPECT_EQ(GetSetting(L"StartUp", L"SubFolders", L""), L"0");
    auto left = Lines();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{tree_ / L"held.tmp", tree_ / L"keep.tmp", tree_ / L"ro.tmp"}));
    EXPECT_EQ(Text(id::cmdAction1), L"E&xit");

    // Prompt is "0" now: no question the second time.
    SendMessageW(C(id::List1), LB_SETSEL, FALSE, -1);
    Click(id::cmdDelete);
    EXPECT_EQ(prompts_.shown.size(), 2u);
    SetFileAttributesW((tree_ / L"ro.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Locate, TheRecycleBinTakesWhatItCanAndAsksBeforeDeletingTheRestForGood) {
    const std::wstring name = L"recycled-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    nvtest::WriteText(tree_ / name, "restore me");
    const std::wstring longDir = L"\\\\?\\" + (tree_ / std::wstring(240, L'L'));  // too long for the shell
    nvtest::WriteFile(longDir + L"\\no.tmp", 10);
    nvtest::WriteFile(longDir + L"\\yes.tmp", 10);
    nvtest::WriteFile(L"\\\\?\\" + (tree_ / L"trail.tmp."), 4);
    nvtest::WriteFile(tree_ / L"trail.tmp", 5);  // what the shell would hit for "trail.tmp."
    nvtest::WriteFile(tree_ / L"held.tmp", 6);   // in use: skipped, and the shell is never asked
    ScopedFile held(CreateFileW((tree_ / L"held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    wchar_t xdg[MAX_PATH] = {};
    ASSERT_TRUE(GetEnvironmentVariableW(L"XDG_DATA_HOME", xdg, MAX_PATH));
    auto inTrash = [&](const std::wstring& file) {
        std::wstring p = L"\\\\?\\unix" + std::wstring(xdg) + L"/Trash/files/" + file;
        std::replace(p.begin(), p.end(), L'/', L'\\');
        return p;
    };
    Open();
    prompts_.next = {IDYES, IDNO};
    Search(tree_.path(), L"*.tmp;*.tmp.");
    ASSERT_EQ(Lines().size(), 6u);
    Deselect(tree_ / L"trail.tmp");
    Click(id::cmdDelete);
    EXPECT_FALSE(nvtest::Exists(tree_ / name));
    EXPECT_EQ(nvtest::ReadText(inTrash(name)), "restore me");
    DeleteFileW(inTrash(name).c_str());
    ASSERT_EQ(prompts_.shown.size(), 2u);
    EXPECT_TRUE(prompts_.shown[1].text.starts_with(L"3 files cannot be moved to the Recycle Bin"));
    EXPECT_EQ(prompts_.shown[1].flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    EXPECT_TRUE(nvtest::Exists(longDir + L"\\no.tmp"));  // No: nothing deleted
    EXPECT_TRUE(nvtest::Exists(longDir + L"\\yes.tmp"));
    EXPECT_TRUE(nvtest::Exists(tree_ / L"held.tmp"));

    // Yes: deleted for good, and never through the trimmed name.
    Click(id::Check1);
    Search(longDir.substr(4), L"yes.tmp");
    ASSERT_EQ(Lines().size(), 1u);
    prompts_.next = {IDYES};
    Click(id::cmdDelete);
    ASSERT_EQ(prompts_.shown.size(), 3u);
    EXPECT_EQ(prompts_.shown[2].text, L"This file cannot be moved to the Recycle Bin:\r\n" + longDir.substr(4) +
                                          L"\\yes.tmp\r\n\r\nDelete it for good?");
    EXPECT_FALSE(nvtest::Exists(longDir + L"\\yes.tmp"));
    EXPECT_FALSE(nvtest::Exists(inTrash(L"yes.tmp")));
    EXPECT_TRUE(nvtest::Exists(longDir + L"\\no.tmp"));
    EXPECT_EQ(nvtest::ReadText(tree_ / L"trail.tmp").size(), 5u);
}

TEST_F(Locate, DeletionNeverGoesThroughALink) {
    for (bool recycle : {false, true}) {
        searchtest::LinkCase lc(recycle ? L"searchbin" : L"searchfile");
        NEED_LINKS(lc);
        frmLocate::Unload();
        Open();
        prompts_.next = {IDYES, IDYES};
        if (!recycle) Click(id::chkDelType);
        Search(lc.tree(), L"*.txt;*.ini");
        Click(id::cmdDelete);
        lc.ExpectTargetsIntact();
        EXPECT_FALSE(nvtest::Exists(lc.tree() + L"\\real.txt")) << recycle;
        EXPECT_FALSE(nvtest::Exists(lc.tree() + L"\\sub\\real.txt")) << recycle;
    }
}

TEST_F(Locate, ResetAllWritesTheDefaultsAndAsksOnlyAfterTwoUses) {
    Open();
    nvtest::WriteText(app_ / L"Ext.txt", "*.log\r\n");
    Click(id::Check1);
    usersettings::SaveSetting(L"General", L"Uses", L"3");
    SendMessageW(w_->hwnd(), WM_COMMAND, id::menuResetAll, 0);  // asked, No
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, L"Do you want to reset all of the parameters to default? ");
    EXPECT_EQ(prompts_.shown[0].title, L"Are you sure?");
    EXPECT_EQ(nvtest::ReadText(app_ / L"Ext.txt"), "*.log\r\n");

    usersettings::SaveSetting(L"General", L"Uses", L"1");
    SendMessageW(w_->hwnd(), WM_COMMAND, id::menuResetAll, 0);
    EXPECT_EQ(prompts_.shown.size(), 1u);
    EXPECT_TRUE(Checked(id::Check1));
    EXPECT_EQ(nvtest::ReadText(app_ / L"Ext.txt"), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
    EXPECT_EQ(Text(id::Text1), L"*.tmp;*.gid");  // not rebuilt
    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> want[] = {
        {L"StartUp", L"AppPath", app_.path() + L"\\"}, {L"StartUp", L"Log", L"1"},
        {L"StartUp", L"Recycele", L"1"}, {L"StartUp", L"SubFolders", L"1"}, {L"General", L"Tips", L"1"},
        {L"General", L"TipNumber", L"1"}, {L"General", L"Prompt", L"1"}, {L"General", L"MaxLogSize", L"80"},
        {L"General", L"DeleteDirs", L"c:\\windows\\temp\\;C:\\WINDOWS\\Temporary Internet Files\\;"}};
    for (const auto& [section, key, value] : want) EXPECT_EQ(GetSetting(section, key, L"?"), value) << nvtest::Narrow(key);
}

TEST_F(Locate, TheMainWindowOpensItModalAndExitClosesIt) {
    static std::wstring text;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        HWND w = FindWindowW(L"#32770", L"Search && Erase");
        if (!w) return PostQuitMessage(0);  // fail, but do not hang
        text = ui::GetText(GetDlgItem(w, id::Text1));
        SendMessageW(GetDlgItem(w, id::cmdAction1), BM_CLICK, 0, 0);
    });
    dialogs::OpenSearchAndErase(nullptr);
    EXPECT_EQ(text, L"*.tmp;*.gid");
    EXPECT_EQ(FindWindowW(L"#32770", L"Search && Erase"), nullptr);
}
