// Analyze and the details window in the real main window.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "engine/run_details.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "main_window_fixture.h"
#include "recorders.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "settings/custom_items_file.h"
#include "foundation/selection_profile.h"
#include "shell/details_window.h"
#include "shell/main_window.h"
#include "ui/resource.h"
#include "ui/ui.h"

using namespace nv;

namespace {

class AnalyzeWindow : public nvtest::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        nvtest::WriteFile(data_ / L"notes.txt", 300);
        for (int i = 1; i <= 5; ++i) nvtest::WriteFile(data_ / (L"cache\\f" + std::to_wstring(i) + L".bin"), i * 1000);
        nvtest::WriteFile(data_ / L"cache\\deep\\big.bin", 9000);
        cusd::Write({{data_ / L"notes.txt", L"File"}, {data_ / L"cache", L"Folder"}});
        Inifun::WriteIniValue(profile::ProfilePath(), L"WINDOWS", L"search", L"1");
        Inifun::WriteIniValue(profile::ProfilePath(), L"Custom", L"Custom", L"1");
        w_ = frmMainCode::Load();
        ASSERT_NE(w_, nullptr);
    }
    void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    std::wstring Text(int id) { return ui::GetText(w_->control(id)); }
    static std::wstring Cell(HWND list, int row, int col) {
        wchar_t buf[1024] = {};
        ListView_GetItemText(list, row, col, buf, 1024);
        return buf;
    }
    std::vector<std::wstring> Column(HWND list, int col) {
        std::vector<std::wstring> out;
        for (int i = 0; i < ListView_GetItemCount(list); ++i) out.push_back(Cell(list, i, col));
        return out;
    }
    void ClickHeader(int column) {
        NMLISTVIEW n{};
        n.hdr.hwndFrom = frmDetails::Control(ids::details::List);
        n.hdr.idFrom = ids::details::List;
        n.hdr.code = LVN_COLUMNCLICK;
        n.iItem = -1;
        n.iSubItem = column;
        SendMessageW(frmDetails::Window(), WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
    }
    void DoubleClickRow(int row) {
        NMITEMACTIVATE n{};
        n.hdr.hwndFrom = w_->control(ids::ListView1);
        n.hdr.idFrom = ids::ListView1;
        n.hdr.code = NM_DBLCLK;
        n.iItem = row;
        SendMessageW(w_->hwnd(), WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
    }

    nvtest::ScratchDir data_{L"andata"};
    frmMainCode* w_ = nullptr;
};

TEST_F(AnalyzeWindow, RowsEstimateAndDetailsThenTheCleanAsBefore) {
    const std::string profileBefore = nvtest::ReadText(profile::ProfilePath());
    const std::wstring totalsBefore = Text(ids::Label14);
    EXPECT_FALSE(IsWindowEnabled(w_->control(ids::analyze::Details)));

    Click(w_->control(ids::analyze::Analyze));
    HWND rows = w_->control(ids::ListView1);
    EXPECT_TRUE(w_->StatusPanelVisible());
    EXPECT_EQ(Column(rows, 0), (std::vector<std::wstring>{L"Start Menu Search History", L"Custom Item",
                                                           engine::kAnalysisComplete}));
    EXPECT_EQ(Cell(rows, 1, 1), L"1 file, 1 folder, 23.73 KB");
    EXPECT_EQ(Text(ids::analyze::LabelEstimate), L"Estimate: 30 registry keys, 0.02 MB to release");
    EXPECT_EQ(Text(ids::Label14), totalsBefore);
    EXPECT_TRUE(prompts_.shown.empty());  // no box ends an Analyze
    EXPECT_EQ(nvtest::ReadText(profile::ProfilePath()), profileBefore);
    EXPECT_TRUE(nvtest::Exists(data_ / L"cache\\deep\\big.bin"));
    EXPECT_TRUE(IsWindowEnabled(w_->control(ids::Command1)));
    EXPECT_TRUE(IsWindowEnabled(w_->control(ids::analyze::Details)));

    // A row's details: its targets, sortable, with a total.
    DoubleClickRow(1);
    ASSERT_NE(frmDetails::Window(), nullptr);
    EXPECT_EQ(ui::GetText(frmDetails::Window()), L"Details - Custom Item");
    HWND list = frmDetails::Control(ids::details::List);
    EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{data_ / L"notes.txt", data_ / L"cache"}));
    EXPECT_EQ(Column(list, 3), (std::vector<std::wstring>{L"To be removed", L"To be removed"}));
    EXPECT_EQ(ui::GetText(frmDetails::Control(ids::details::Total)), L"Total: 2 targets, 23.73 KB");
    ClickHeader(2);  // Size: largest first
    EXPECT_EQ(Column(list, 2), (std::vector<std::wstring>{L"23.44 KB", L"300 bytes"}));
    ClickHeader(2);
    EXPECT_EQ(Column(list, 2), (std::vector<std::wstring>{L"300 bytes", L"23.44 KB"}));

    // The Details button without a selection: the whole run.
    Click(w_->control(ids::analyze::Details));
    EXPECT_EQ(ui::GetText(frmDetails::Window()), std::wstring(L"Details - ") + engine::kAnalysisComplete);
    EXPECT_EQ(ListView_GetItemCount(list), 2);

    // The clean that follows: its own rows, box and totals, as without Analyze.
    Click(w_->control(ids::Command1));
    EXPECT_EQ(frmDetails::Window(), nullptr);
    EXPECT_EQ(Text(ids::analyze::LabelEstimate), L"");
    EXPECT_EQ(Column(rows, 1), (std::vector<std::wstring>{L"Done", L"Done", L""}));
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, L"Task complete Successfully! Cleaned Registry Keys: 30 Released HD Space:0.02MB");
    EXPECT_FALSE(nvtest::Exists(data_ / L"cache"));
}

TEST_F(AnalyzeWindow, ShortcutAndCancel) {
    // Cancel pressed while the first item works: the run stops there,
    // without a box, as a cancelled clean does minus its box.
    PostMessageW(w_->control(ids::Command2), BM_CLICK, 0, 0);
    SendMessageW(w_->hwnd(), WM_COMMAND, ids::analyze::AnalyzeMenu, 0);
    EXPECT_TRUE(w_->StatusPanelVisible());
    HWND rows = w_->control(ids::ListView1);
    EXPECT_EQ(Column(rows, 0),
              (std::vector<std::wstring>{L"Start Menu Search History", engine::kAnalysisCancelled}));
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_EQ(Text(ids::analyze::LabelEstimate), L"");
    EXPECT_TRUE(nvtest::Exists(data_ / L"notes.txt"));
}

TEST_F(AnalyzeWindow, DetailsAfterACleanSayWhatWasLeftAndWhy) {
    const std::wstring held = data_ / L"cache\\f3.bin";
    ScopedFile hold(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold);
    Click(w_->control(ids::Command1));
    HWND rows = w_->control(ids::ListView1);
    EXPECT_EQ(Cell(rows, 1, 1), L"Done");  // the clean's own rows, as ever
    EXPECT_TRUE(IsWindowEnabled(w_->control(ids::analyze::Details)));

    DoubleClickRow(1);
    ASSERT_NE(frmDetails::Window(), nullptr);
    EXPECT_EQ(ui::GetText(frmDetails::Control(ids::details::Caption)), L"What the clean removed, and what it left");
    HWND list = frmDetails::Control(ids::details::List);
    const auto paths = Column(list, 1), results = Column(list, 3);
    ASSERT_EQ(paths, (std::vector<std::wstring>{data_ / L"notes.txt", held, data_ / L"cache"}));
    EXPECT_EQ(results, (std::vector<std::wstring>{L"Removed", L"Left: in use by another program", L"Removed"}));
    EXPECT_EQ(ui::GetText(frmDetails::Control(ids::details::Total)), L"Total: 3 targets, 23.73 KB; 1 left");
    hold.reset();
    EXPECT_TRUE(nvtest::Exists(held));
}

}  // namespace
