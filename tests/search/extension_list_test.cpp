#include <gtest/gtest.h>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "search/extension_list.h"
#include "search/search_options_dialog.h"
#include "search_helpers.h"
#include "ui/resource.h"
#include "ui/ui.h"

using namespace nv;
using namespace nv::search;
namespace id = nv::ids::extentions;
namespace eh = nv::ExtentionHandller;

namespace {

class ExtList : public ::testing::Test {
protected:
    void SetUp() override { SetAppFolderForTests(dir_.path()); }
    void TearDown() override {
        frmExtentions::Unload();
        SetAppFolderForTests(L"");
    }
    void Ext(const std::string& text) { nvtest::WriteText(dir_ / L"Ext.txt", text); }
    std::string Ext() { return nvtest::ReadText(dir_ / L"Ext.txt"); }
    frmExtentions* Open() {
        auto* d = frmExtentions::Load(nullptr, [this](const std::wstring& s) { searchString_.push_back(s); });
        EXPECT_NE(d, nullptr);
        return d;
    }
    std::vector<std::wstring> Shown(frmExtentions* d) {
        HWND list = d->control(id::lstFileTypes);
        std::vector<std::wstring> items;
        for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            wchar_t buf[256] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
            items.push_back(buf);
        }
        return items;
    }
    void Click(frmExtentions* d, int ctl) { SendMessageW(d->control(ctl), BM_CLICK, 0, 0); }

    nvtest::ScratchDir dir_{L"ext"};
    searchtest::CleanSettings settings_;
    nvtest::RecordingPrompter prompts_;
    std::vector<std::wstring> searchString_;
};

}  // namespace

TEST_F(ExtList, ValidPatternsAndTheSearchStringComeFromTheFile) {
    const std::pair<const wchar_t*, bool> valid[] = {{L"*.tmp", true}, {L"*.*", true}, {L"*.", false},
                                                     {L".tmp", false}, {L"tmp", false}, {L"**.x", false}};
    for (const auto& [text, ok] : valid) EXPECT_EQ(eh::IsValidExtension(text), ok) << nvtest::Narrow(text);

    EXPECT_EQ(eh::GetExtensionFilter(), std::nullopt);  // missing file
    ASSERT_TRUE(eh::WriteDefaultExtensions());
    EXPECT_EQ(Ext(), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
    EXPECT_EQ(eh::GetExtensionFilter(), eh::kDefaultFilter);
    Ext("junk\r\n*.log\n\r\n*.\r\n*.bak");
    EXPECT_EQ(eh::GetExtensionFilter(), L"*.log;*.bak");
    Ext("junk\r\n\r\n");
    EXPECT_EQ(eh::GetExtensionFilter(), std::nullopt);  // callers keep their own
}

TEST_F(ExtList, AddTrimsAppendsAndRefusesWhatIsNoPattern) {
    eh::WriteDefaultExtensions();
    auto* d = Open();
    EXPECT_EQ(Shown(d), (std::vector<std::wstring>{L"*.tmp", L"*.gid", L"*.swp", L"*.chk"}));
    EXPECT_EQ(ui::GetText(d->hwnd()), L"Options");
    EXPECT_EQ(ui::GetText(d->control(id::txtAdd)), L"*.");

    SetWindowTextW(d->control(id::txtAdd), L"  *.log ");
    Click(d, id::cmdAdd);
    EXPECT_EQ(Ext(), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n*.log\r\n");
    EXPECT_EQ(searchString_, (std::vector<std::wstring>{L"*.tmp;*.gid;*.swp;*.chk;*.log"}));
    EXPECT_EQ(ui::GetText(d->control(id::txtAdd)), L"*.");
    EXPECT_TRUE(prompts_.shown.empty());

    for (const wchar_t* bad : {L"*.", L".tmp", L"tmp"}) {
        SetWindowTextW(d->control(id::txtAdd), bad);
        Click(d, id::cmdAdd);
        ASSERT_FALSE(prompts_.shown.empty());
        EXPECT_EQ(prompts_.shown.back().text, L"Please fill a legal extention name and try again!");
        EXPECT_EQ(prompts_.shown.back().title, L"Error");
        EXPECT_EQ(prompts_.shown.back().flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(ui::GetText(d->control(id::txtAdd)), L"*.");
    }
    EXPECT_EQ(prompts_.shown.size(), 3u);
    EXPECT_EQ(Ext(), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n*.log\r\n");
}

TEST_F(ExtList, RemoveDropsEveryEqualLineAndLeavesAFileNamedTempAlone) {
    Ext("*.tmp\r\n*.log\r\n\r\nnot valid\r\n*.log\r\n*.LOG\r\n");
    nvtest::WriteText(dir_ / L"temp", "old lines\r\n");
    auto* d = Open();
    EXPECT_EQ(Shown(d), (std::vector<std::wstring>{L"*.tmp", L"*.log", L"*.log", L"*.LOG"}));

    SendMessageW(d->control(id::lstFileTypes), LB_SETCURSEL, 1, 0);
    Click(d, id::cmdRemove);  // both lines "*.log", never "*.LOG"
    EXPECT_EQ(Ext(), "*.tmp\r\n\r\nnot valid\r\n*.LOG\r\n");
    EXPECT_EQ(searchString_.back(), L"*.tmp;*.LOG");

    SendMessageW(d->control(id::lstFileTypes), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Click(d, id::cmdRemove);  // nothing selected: only empty lines go
    EXPECT_EQ(Ext(), "*.tmp\r\nnot valid\r\n*.LOG\r\n");
    EXPECT_EQ(nvtest::ReadText(dir_ / L"temp"), "old lines\r\n");

    // Removing the last valid line leaves the search string as it was.
    Ext("*.tmp\r\n");
    d->LoadExtensionList();
    SendMessageW(d->control(id::lstFileTypes), LB_SETCURSEL, 0, 0);
    const size_t before = searchString_.size();
    Click(d, id::cmdRemove);
    EXPECT_EQ(Ext(), "");
    EXPECT_EQ(searchString_.size(), before);
    EXPECT_TRUE(Shown(d).empty());
}

TEST_F(ExtList, DefaultAsksThenRewritesTheFourLines) {
    Ext("*.log\r\njunk\r\n");
    auto* d = Open();
    prompts_.answer = IDNO;
    Click(d, id::cmdDefault);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, L"Are you sure you want to Return to the defaul settings?");
    EXPECT_EQ(prompts_.shown[0].title, L"Warnning:");
    EXPECT_EQ(prompts_.shown[0].flags, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(Ext(), "*.log\r\njunk\r\n");
    prompts_.answer = IDYES;
    Click(d, id::cmdDefault);
    EXPECT_EQ(Ext(), "*.tmp\r\n*.gid\r\n*.swp\r\n*.chk\r\n");
    EXPECT_EQ(Shown(d).size(), 4u);
    EXPECT_EQ(searchString_.back(), eh::kDefaultFilter);
    Click(d, id::cmdDone);
    EXPECT_EQ(d->hwnd(), nullptr);
}

TEST_F(ExtList, LoadMakesSureMaxLogSizeIsSet) {
    const std::wstring key = L"Software\\VB and VBA Program Settings\\ZoroviDOZozired\\General";
    Open();
    EXPECT_TRUE(nvtest::ValueExists(HKEY_CURRENT_USER, key, L"MaxLogSize"));
    EXPECT_EQ(usersettings::GetSetting(L"General", L"MaxLogSize", L""), L"80");
    usersettings::SaveSetting(L"General", L"MaxLogSize", L"120");
    Open();
    EXPECT_EQ(usersettings::GetSetting(L"General", L"MaxLogSize", L""), L"120");
}
