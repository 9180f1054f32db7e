// The Cleaning Settings dialog driven through its real controls: load, OK,
// Cancel, the favorites question, select-all, the mail groups, both lists,
// and a layout in which no caption is clipped.
#include "settings/cleaning_settings_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "planted_links.h"
#include "recorders.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "settings/custom_items_file.h"
#include "foundation/selection_profile.h"
#include "ui/resource.h"
#include "ui/ui.h"

using namespace nv;
namespace id = nv::ids::frmsettings;

namespace {

constexpr int kSelectAll[] = {9, 46, 47, 13, 14, 19, 68, 133, 140, 145, 31, 41, 127, 128};

class Settings : public ::testing::Test {
protected:
    void SetUp() override { SetAppFolderForTests(app_.path()); }
    void TearDown() override {
        if (HWND h = frmsettings::Instance()) DestroyWindow(h);
        SetAppFolderForTests(L"");
    }
    HWND Open() {
        HWND h = frmsettings::Create(nullptr);
        EXPECT_NE(h, nullptr);
        return h;
    }
    HWND Box(int n) { return frmsettings::Control(id::Check(n)); }
    bool Checked(int n) { return SendMessageW(Box(n), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int ctl) { SendMessageW(frmsettings::Control(ctl), BM_CLICK, 0, 0); }
    void Ok() {
        Click(id::Command1);
        EXPECT_EQ(frmsettings::Instance(), nullptr);
    }
    std::wstring Stored(const wchar_t* section, const wchar_t* key) { return profile::Read(section, key); }
    void Profile(const std::string& text) { nvtest::WriteText(profile::ProfilePath(), text); }
    std::wstring Cell(int list, int row, int col) {
        wchar_t buf[1024] = {};
        ListView_GetItemText(frmsettings::Control(list), row, col, buf, 1024);
        return buf;
    }
    int Rows(int list) { return ListView_GetItemCount(frmsettings::Control(list)); }

    nvtest::ScratchDir app_{L"settings"};
    nvtest::RecordingPrompter prompts_;
    nvtest::ValueOverride outlook_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Outlook Express", L"InstallRoot", std::nullopt};
    nvtest::ValueOverride mail_{HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Mail", L"Store Root", std::nullopt};
};

TEST_F(Settings, NoProfileShowsEveryBoxUncheckedAndOneTickWritesAll138InOrder) {
    Open();
    EXPECT_EQ(ui::GetText(frmsettings::Instance()), L"Cleaning Settings");
    EXPECT_TRUE(prompts_.shown.empty());
    for (const auto& k : profile::ItemKeys()) {
        ASSERT_NE(Box(k.checkBox), nullptr) << k.checkBox;
        EXPECT_EQ(ui::GetText(Box(k.checkBox)), k.caption);
        EXPECT_FALSE(Checked(k.checkBox)) << k.checkBox;
    }
    for (int n : kSelectAll) EXPECT_EQ(ui::GetText(Box(n)), L"Select all of the above") << n;
    for (int n = 110; n <= 128; ++n) EXPECT_FALSE(IsWindowEnabled(Box(n))) << n;  // no Outlook Express, no Windows Mail
    EXPECT_TRUE(IsWindowEnabled(Box(24)));

    auto tabs = [](int ctl) {
        std::vector<std::wstring> out;
        HWND tab = frmsettings::Control(ctl);
        for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
            wchar_t buf[64] = {};
            TCITEMW item{TCIF_TEXT};
            item.pszText = buf;
            item.cchTextMax = 64;
            TabCtrl_GetItem(tab, i, &item);
            out.push_back(buf);
        }
        return out;
    };
    EXPECT_EQ(tabs(id::SSTab1), (std::vector<std::wstring>{L"Browsers", L"Windows", L"Microsoft Office", L"Applications",
                                                           L"Custom Item", L"Instant Messaging", L"Email Readers"}));
    EXPECT_EQ(tabs(id::SSTab2),
              (std::vector<std::wstring>{L"Internet Explorer", L"Firefox", L"Opera", L"Netscape", L"AOL Explorer",
                                         L"MSN Explorer", L"Mozilla", L"Maxthon Browser", L"Google Chrome", L"Safari"}));

    Click(id::Check(24));
    Ok();
    EXPECT_TRUE(prompts_.shown.empty());
    // Sixteen sections in table order, each with its keys in table order.
    std::vector<wchar_t> names(4096);
    DWORD n = GetPrivateProfileSectionNamesW(names.data(), 4096, profile::ProfilePath().c_str());
    std::vector<std::wstring> sections;
    for (const wchar_t* p = names.data(); p < names.data() + n && *p; p += wcslen(p) + 1) sections.push_back(p);
    EXPECT_EQ(sections, std::vector<std::wstring>(profile::ItemSections().begin(), profile::ItemSections().end()));
    std::map<std::wstring, std::vector<std::wstring>> expected;
    for (const auto& k : profile::ItemKeys())
        expected[k.section].push_back(std::wstring(k.key) + L"=" + (k.checkBox == 24 ? L"1" : L"0"));
    for (const auto& s : sections) EXPECT_EQ(Inifun::ReadIniSection(s, profile::ProfilePath()), expected[s]);
    EXPECT_EQ(nvtest::ReadText(cusd::CustomFile()), "");
}

TEST_F(Settings, CancelAndTheWindowFrameWriteNothing) {
    for (UINT close : {0u, 1u}) {
        HWND h = Open();
        Click(id::Check(24));
        if (close) SendMessageW(h, WM_CLOSE, 0, 0);
        else Click(id::Command3);
        ui::PumpMessages();
        EXPECT_EQ(frmsettings::Instance(), nullptr);
        EXPECT_FALSE(nvtest::Exists(profile::ProfilePath()));
        EXPECT_FALSE(nvtest::Exists(cusd::CustomFile()));
    }
}

TEST_F(Settings, LoadUsesTheNumericFlagTest) {
    Profile("[EXPLORER]\r\nlocation=01\r\nhistory=1.0\r\ncache=yes\r\ncookies=2\r\ndownloaded= 1 \r\n"
            "[opera]\r\nimages=1\r\n[Custom]\r\nCustom=1\r\n");
    Open();
    for (auto [box, on] : {std::pair{1, true}, {2, true}, {3, false}, {4, false}, {7, true}, {59, true}, {52, true},
                           {42, false}})
        EXPECT_EQ(Checked(box), on) << box;
    Ok();
    EXPECT_EQ(Stored(L"EXPLORER", L"location"), L"1");
    EXPECT_EQ(Stored(L"EXPLORER", L"cache"), L"0");
    EXPECT_EQ(Stored(L"OPERA", L"Images"), L"1");
}

// Only a tick asks; the answer decides it. Unticking never asks and never
// ticks again, and the stored choice loads without a question.
TEST_F(Settings, FavoritesAskOnlyWhenTicked) {
    Profile("[EXPLORER]\r\nfavorites=1\r\n");
    Open();
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_TRUE(Checked(5));
    struct Step {
        int click;  // the box itself (5) or "Select all" of its group (9)
        int answer;
        size_t questions;
        bool favorites;
    };
    const Step steps[] = {
        {5, IDOK, 0, false},     {5, IDCANCEL, 1, false}, {5, IDOK, 1, true},  {5, IDCANCEL, 0, false},
        {9, IDCANCEL, 1, false}, {9, IDOK, 0, false},     {9, IDOK, 1, true},  {9, IDCANCEL, 0, false},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& st = steps[i];
        prompts_.shown.clear();
        prompts_.answer = st.answer;
        Click(id::Check(st.click));
        ASSERT_EQ(prompts_.shown.size(), st.questions) << i;
        if (st.questions) {
            EXPECT_EQ(prompts_.shown[0].text, L"Are you sure delete IE Favorites?");
            EXPECT_EQ(prompts_.shown[0].title, L"Norvale System Cleaner");
            EXPECT_EQ(prompts_.shown[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
        }
        EXPECT_EQ(Checked(5), st.favorites) << i;
        // Select all moves the rest of its group, whatever the answer.
        if (st.click == 9) {
            EXPECT_EQ(Checked(1), Checked(9)) << i;
        }
    }
    prompts_.answer = IDOK;
    Click(id::Check(5));
    Ok();
    EXPECT_EQ(Stored(L"EXPLORER", L"favorites"), L"1");
    // Unticked and saved: it stays off.
    Open();
    prompts_.shown.clear();
    Click(id::Check(5));
    Ok();
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_EQ(Stored(L"EXPLORER", L"favorites"), L"0");
}

TEST_F(Settings, SelectAllSetsItsOwnGroupOnly) {
    Open();
    Click(id::Check(31));
    for (const auto& k : profile::ItemKeys())
        EXPECT_EQ(Checked(k.checkBox), std::wstring(k.section) == L"WINDOWS") << k.checkBox;
    Click(id::Check(68));
    EXPECT_TRUE(Checked(69) && Checked(70) && Checked(71) && Checked(72));
    Click(id::Check(24));  // a single box does not move its select-all box
    EXPECT_TRUE(Checked(31));
}

TEST_F(Settings, MailGroupsFollowTheirPrograms) {
    Profile("[outlook]\r\naddress=1\r\n[mail]\r\nRecently=1\r\n");
    {
        Open();
        for (int n = 110; n <= 128; ++n) EXPECT_FALSE(IsWindowEnabled(Box(n))) << n;
        EXPECT_FALSE(Checked(110));
        EXPECT_FALSE(Checked(120));
        Click(id::Check(127));  // disabled: changes nothing
        EXPECT_FALSE(Checked(111));
        Ok();
        EXPECT_EQ(Stored(L"outlook", L"address"), L"0");
        EXPECT_EQ(Stored(L"mail", L"Recently"), L"0");
    }
    Profile("[outlook]\r\naddress=1\r\n[mail]\r\nRecently=1\r\n");
    nvtest::ValueOverride oe(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Outlook Express", L"InstallRoot", L"C:\\OE");
    nvtest::ValueOverride wm(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows Mail", L"Store Root", L"C:\\Mail");
    Open();
    for (int n = 110; n <= 128; ++n) EXPECT_TRUE(IsWindowEnabled(Box(n))) << n;
    EXPECT_TRUE(Checked(110));
    EXPECT_TRUE(Checked(120));
    Click(id::Check(127));
    EXPECT_TRUE(Checked(119));
    Ok();
    EXPECT_EQ(Stored(L"outlook", L"signatures"), L"1");
    EXPECT_EQ(Stored(L"mail", L"Recently"), L"1");
}

TEST_F(Settings, CustomItemsAreListedAndWrittenBack) {
    const std::wstring file = app_ / L"c\\three.bin", folder = app_ / L"c\\dir", hidden = app_ / L"c\\h.bin";
    nvtest::WriteFile(file, 3407872);  // 3.25 MB
    nvtest::WriteFile(folder + L"\\a", 1048576);
    nvtest::WriteFile(folder + L"\\sub\\b", 524288);
    nvtest::WriteFile(hidden, 1);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    nvtest::WriteFile(app_ / L"c\\empty.txt", 0);
    cusd::Write({{file, L"File"},
                 {app_ / L"c\\gone.bin", L"File"},
                 {folder, L"Folder"},
                 {hidden, L"File"},
                 {app_ / L"c\\empty.txt", L"file"},
                 {app_ / L"c\\empty.txt", L"File"}});
    Open();
    ASSERT_EQ(Rows(id::ListView2), 4);
    EXPECT_EQ(Cell(id::ListView2, 0, 0), file);
    EXPECT_EQ(Cell(id::ListView2, 0, 1), L"File");
    EXPECT_EQ(Cell(id::ListView2, 0, 2), L"03.25MB");
    EXPECT_FALSE(Cell(id::ListView2, 0, 3).empty());
    EXPECT_EQ(Cell(id::ListView2, 1, 1), L"Folder");
    EXPECT_EQ(Cell(id::ListView2, 1, 2), L"01.50MB");
    EXPECT_EQ(Cell(id::ListView2, 2, 1), L"");  // "file": the path only
    EXPECT_EQ(Cell(id::ListView2, 2, 2), L"");
    EXPECT_EQ(Cell(id::ListView2, 3, 2), L"00.00MB");
    Ok();
    const std::string a = nvtest::Narrow(app_.path());
    EXPECT_EQ(nvtest::ReadText(cusd::CustomFile()), a + "\\c\\three.bin\tFile\r\n" + a + "\\c\\dir\tFolder\r\n" + a +
                                                        "\\c\\empty.txt\t\r\n" + a + "\\c\\empty.txt\tFile\r\n");

    // Remove takes the selected row only; without a selection it does nothing.
    Open();
    Click(id::Command102);
    EXPECT_EQ(Rows(id::ListView2), 4);
    ListView_SetItemState(frmsettings::Control(id::ListView2), 1, LVIS_SELECTED, LVIS_SELECTED);
    Click(id::Command102);
    ASSERT_EQ(Rows(id::ListView2), 3);
    EXPECT_EQ(Cell(id::ListView2, 1, 0), app_ / L"c\\empty.txt");
    Ok();
    EXPECT_EQ(nvtest::ReadText(cusd::CustomFile()).find("\\c\\dir"), std::string::npos);
    Open();
    Click(id::Command2);
    EXPECT_EQ(Rows(id::ListView2), 0);
    Ok();
    EXPECT_EQ(nvtest::ReadText(cusd::CustomFile()), "");
}

TEST_F(Settings, PluginTicksAreWrittenIntoTheirOwnFiles) {
    const std::wstring dir = app_ / L"plus-in";
    nvtest::WriteText(dir + L"\\A.ppe", "[name]\r\nappname=Alpha\r\n[version]\r\nappver=2.1\r\n[dec]\r\ndecs=Cleans it\r\n"
                                        "[swich]\r\non=1\r\n");
    nvtest::WriteText(dir + L"\\file-b.ppe", "[name]\r\nappname=Beta\r\n[swich]\r\non=0\r\n");
    Open();
    HWND list = frmsettings::Control(id::ListView1);
    ASSERT_EQ(Rows(id::ListView1), 2);
    std::map<std::wstring, int> row;
    for (int i = 0; i < 2; ++i) row[Cell(id::ListView1, i, 0)] = i;
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(Cell(id::ListView1, row[L"Alpha"], 1), L"2.1");
    EXPECT_EQ(Cell(id::ListView1, row[L"Alpha"], 2), L"Alpha 2.1 Cleans it");
    EXPECT_TRUE(ListView_GetCheckState(list, row[L"Alpha"]));
    EXPECT_FALSE(ListView_GetCheckState(list, row[L"Beta"]));
    ListView_SetCheckState(list, row[L"Alpha"], FALSE);
    ListView_SetCheckState(list, row[L"Beta"], TRUE);
    Ok();
    EXPECT_EQ(Inifun::ReadIniValue(dir + L"\\A.ppe", L"swich", L"on"), L"0");
    EXPECT_EQ(Inifun::ReadIniValue(dir + L"\\file-b.ppe", L"swich", L"on"), L"1");
    EXPECT_FALSE(nvtest::Exists(dir + L"\\Beta.ppe"));

    // A plug-in planted as a link from the Linux side (tools/lib/plant-links.sh,
    // case "pluginlink"): its tick is refused and said, its target stays.
    const std::wstring c = L"C:\\nvlinks\\pluginlink";
    NEED_PLANTED(nvtest::Exists(c + L"\\target\\x.ppe"));
    const std::string target = nvtest::ReadText(c + L"\\target\\x.ppe");
    SetAppFolderForTests(c);
    Open();
    ASSERT_EQ(Rows(id::ListView1), 1);
    ListView_SetCheckState(frmsettings::Control(id::ListView1), 0, TRUE);
    Click(id::Command1);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find(c + L"\\plus-in\\x.ppe (a link"), std::wstring::npos)
        << nvtest::Narrow(prompts_.shown[0].text);
    EXPECT_NE(frmsettings::Instance(), nullptr);
    EXPECT_EQ(nvtest::ReadText(c + L"\\target\\x.ppe"), target);
}

TEST_F(Settings, SettingsThatCannotBeSavedAreReportedAndTheDialogStays) {
    nvtest::MakeDirs(profile::ProfilePath());  // a folder where the profile should be
    Open();
    Click(id::Check(24));
    Click(id::Command1);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find(L"could not be saved"), std::wstring::npos);
    EXPECT_NE(prompts_.shown[0].text.find(profile::ProfilePath()), std::wstring::npos);
    EXPECT_NE(frmsettings::Instance(), nullptr);
    EXPECT_TRUE(Checked(24));
}

// Every box shows its whole caption, inside its page, overlapping nothing.
TEST_F(Settings, EveryCaptionFitsItsBoxAndNoBoxOverlapsAnother) {
    HWND dlg = Open();
    HDC dc = GetDC(dlg);
    std::map<HWND, std::vector<RECT>> byPage;
    std::vector<int> all;
    for (const auto& k : profile::ItemKeys()) all.push_back(k.checkBox);
    all.insert(all.end(), std::begin(kSelectAll), std::end(kSelectAll));
    for (int n : all) {
        HWND box = Box(n);
        ASSERT_NE(box, nullptr) << n;
        std::wstring text = ui::GetText(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
        SIZE ext{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &ext);
        SelectObject(dc, old);
        RECT r, page;
        GetWindowRect(box, &r);
        GetWindowRect(GetParent(box), &page);
        EXPECT_GE(r.right - r.left, ext.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4) << n;
        EXPECT_GE(r.bottom - r.top, ext.cy) << n;
        EXPECT_TRUE(r.left >= page.left && r.right <= page.right && r.top >= page.top && r.bottom <= page.bottom) << n;
        for (const RECT& other : byPage[GetParent(box)]) {
            RECT both;
            EXPECT_FALSE(IntersectRect(&both, &r, &other)) << n;
        }
        byPage[GetParent(box)].push_back(r);
    }
    ReleaseDC(dlg, dc);
    RECT w;
    GetWindowRect(dlg, &w);
    EXPECT_LE(w.right - w.left, ui::Px(1000));
    EXPECT_LE(w.bottom - w.top, ui::Px(700));
}

}  // namespace

namespace {

// The Applications page says which plug-ins apply here, and a plug-in with
// a warning shows it when the user ticks it (never when the dialog loads).
TEST_F(Settings, PluginRowsSayWhetherTheyApplyAndWarnWhenTicked) {
    const std::wstring dir = app_ / L"plus-in";
    nvtest::MakeDirs(app_ / L"installed");
    const std::string here = nvtest::Narrow(app_ / L"installed");
    nvtest::WriteText(dir + L"\\a.ppe", "[name]\r\nappname=Always\r\n");
    nvtest::WriteText(dir + L"\\b.ppe", "[name]\r\nappname=Here\r\n[detect]\r\n1=FILE|" + here + "\r\n"
                                        "[warning]\r\n1=Signs you out.\r\n[swich]\r\non=1\r\n");
    nvtest::WriteText(dir + L"\\c.ppe", "[name]\r\nappname=Gone\r\n[detect]\r\n1=FILE|" + here + "\\nothing\r\n");
    nvtest::WriteText(dir + L"\\d.ppe", "[name]\r\nappname=Broken\r\n[filekey]\r\n1=" + here + "|*.*|EVERYTHING\r\n");
    nvtest::WriteText(dir + L"\\e.ppe", "[name]\r\nappname=Warns\r\n[warning]\r\n1=Deletes drafts.\r\n2=Really.\r\n");
    Open();
    EXPECT_TRUE(prompts_.shown.empty());  // "Here" is ticked by the load: no question
    HWND list = frmsettings::Control(id::ListView1);
    std::map<std::wstring, int> row;
    for (int i = 0; i < Rows(id::ListView1); ++i) row[Cell(id::ListView1, i, 0)] = i;
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(Cell(id::ListView1, row[L"Always"], 3), L"");
    EXPECT_EQ(Cell(id::ListView1, row[L"Here"], 3), L"installed");
    EXPECT_EQ(Cell(id::ListView1, row[L"Gone"], 3), L"not installed");
    EXPECT_EQ(Cell(id::ListView1, row[L"Broken"], 3), L"error: [filekey] 1: unknown flag: EVERYTHING");
    EXPECT_TRUE(ListView_GetCheckState(list, row[L"Here"]));

    prompts_.answer = IDCANCEL;
    ListView_SetCheckState(list, row[L"Warns"], TRUE);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, L"Warns:\n\nDeletes drafts.\r\nReally.\n\nClean it anyway?");
    EXPECT_FALSE(ListView_GetCheckState(list, row[L"Warns"]));
    prompts_.answer = IDOK;
    ListView_SetCheckState(list, row[L"Warns"], TRUE);
    ListView_SetCheckState(list, row[L"Always"], TRUE);  // no warning, no question
    EXPECT_EQ(prompts_.shown.size(), 2u);
    EXPECT_TRUE(ListView_GetCheckState(list, row[L"Warns"]));
    Ok();
    EXPECT_EQ(Inifun::ReadIniValue(dir + L"\\e.ppe", L"swich", L"on"), L"1");
}

}  // namespace
