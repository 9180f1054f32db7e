// From the choice to the clean: what the Cleaning Settings dialog saves is
// exactly what "Start Cleaning >>" cleans.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "settings/custom_items_file.h"
#include "settings/cleaning_settings_dialog.h"
#include "shell/main_window.h"
#include "ui/resource.h"

using namespace nv;

TEST(ChooseAndClean, StartCleaningCleansWhatTheDialogSaved) {
    nvtest::ScratchDir app(L"choose"), data(L"chosen");
    SetAppFolderForTests(app.path());
    frmMainCode::SetExitHook([] {});
    nvtest::RecordingPrompter prompts;
    nvtest::RecordingLauncher launcher;
    nvtest::WriteFile(data / L"one.txt", 100);
    nvtest::WriteFile(data / L"folder\\a.bin", 200);
    nvtest::WriteFile(data / L"stay.txt", 300);
    nvtest::WriteFile(data / L"plug\\p.bin", 400);
    nvtest::WriteFile(data / L"other\\o.bin", 500);
    nvtest::WriteText(app / L"plus-in\\a.ppe", "[name]\r\nappname=Ticked\r\n[folder]\r\n1=" +
                                                   nvtest::Narrow(data / L"plug") + ",\r\n");
    nvtest::WriteText(app / L"plus-in\\b.ppe", "[name]\r\nappname=Unticked\r\n[folder]\r\n1=" +
                                                   nvtest::Narrow(data / L"other") + ",\r\n");
    cusd::Write({{data / L"one.txt", L"File"}, {data / L"folder", L"Folder"}, {data / L"stay.txt", L"File"}});

    frmMainCode* w = frmMainCode::Load();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(frmsettings::Create(w->hwnd()), nullptr);
    namespace id = ids::frmsettings;
    for (int box : {25, 52}) SendMessageW(frmsettings::Control(id::Check(box)), BM_CLICK, 0, 0);
    HWND custom = frmsettings::Control(id::ListView2);
    ListView_SetItemState(custom, 2, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(frmsettings::Control(id::Command102), BM_CLICK, 0, 0);  // stay.txt out of the list
    HWND plugins = frmsettings::Control(id::ListView1);
    for (int row = 0; row < ListView_GetItemCount(plugins); ++row) {
        wchar_t name[64] = {};
        ListView_GetItemText(plugins, row, 0, name, 64);
        ListView_SetCheckState(plugins, row, std::wstring(name) == L"Ticked");
    }
    SendMessageW(frmsettings::Control(id::Command1), BM_CLICK, 0, 0);
    ASSERT_EQ(frmsettings::Instance(), nullptr);

    SendMessageW(w->control(ids::Command1), BM_CLICK, 0, 0);
    HWND rows = w->control(ids::ListView1);
    std::vector<std::wstring> items;
    for (int i = 0; i < ListView_GetItemCount(rows); ++i) {
        wchar_t buf[128] = {};
        ListView_GetItemText(rows, i, 0, buf, 128);
        items.push_back(buf);
    }
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Start Menu Run History", L"Custom Item", L"Ticked",
                                                 L"Task complete Successfully!"}));
    EXPECT_FALSE(nvtest::Exists(data / L"one.txt"));
    EXPECT_FALSE(nvtest::Exists(data / L"folder"));
    EXPECT_FALSE(nvtest::Exists(data / L"plug\\p.bin"));
    EXPECT_TRUE(nvtest::Exists(data / L"stay.txt"));
    EXPECT_TRUE(nvtest::Exists(data / L"other\\o.bin"));
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().text,
              L"Task complete Successfully! Cleaned Registry Keys: 4 Released HD Space:0.05MB");

    frmMainCode::Unload();
    frmMainCode::SetExitHook(nullptr);
    SetAppFolderForTests(L"");
}
