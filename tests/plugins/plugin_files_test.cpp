// Plug-in files and the custom items file: which files are plug-ins, what a
// row shows, where the flag goes, how paths survive, and the small text
// routines of the custom item list.
#include "plugins/plugin_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "sandbox.h"
#include "foundation/ini_access.h"
#include "settings/file_selection.h"
#include "settings/custom_items_file.h"

using namespace nv;
using nvtest::ReadText;
using nvtest::WriteText;

namespace {

class PluginFiles : public ::testing::Test {
protected:
    void SetUp() override { SetAppFolderForTests(app_.path()); }
    void TearDown() override { SetAppFolderForTests(L""); }
    std::wstring Folder() { return plugins::PluginFolder(); }
    std::vector<plugins::Plugin> Sorted() {
        auto list = plugins::Installed();
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        return list;
    }
    nvtest::ScratchDir app_{L"plug"};
};

TEST_F(PluginFiles, ListedByExtensionInAnyCaseWithWhatTheyShow) {
    EXPECT_TRUE(plugins::Installed().empty());  // no plug-in folder
    WriteText(Folder() + L"\\Foo.PPE",
              "[name]\r\nappname=Foo\r\n[version]\r\nappver=1.0\r\n[dec]\r\ndecs=Cleans Foo\r\n[swich]\r\non=1 \r\n");
    WriteText(Folder() + L"\\bar.ppe", "[name]\r\nappname=Bar\r\n[swich]\r\non=01\r\n");
    WriteText(Folder() + L"\\yes.ppe", "[name]\r\nappname=Yes\r\n[swich]\r\non=yes\r\n");
    WriteText(Folder() + L"\\nameless.ppe", "[swich]\r\non=1\r\n");
    WriteText(Folder() + L"\\baz.ppe.txt", "[name]\r\nappname=Baz\r\n");
    WriteText(Folder() + L"\\noext", "[name]\r\nappname=NoExt\r\n");
    nvtest::MakeDirs(Folder() + L"\\dir.ppe");

    auto list = Sorted();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, L"Bar");
    EXPECT_FALSE(list[0].enabled);
    EXPECT_EQ(list[1].name, L"Foo");
    EXPECT_EQ(list[1].version, L"1.0");
    EXPECT_EQ(list[1].description, L"Foo 1.0 Cleans Foo");
    EXPECT_TRUE(list[1].enabled);
    EXPECT_EQ(list[1].file, Folder() + L"\\Foo.PPE");
    EXPECT_EQ(list[2].name, L"Yes");
    EXPECT_FALSE(list[2].enabled);
    EXPECT_EQ(list[3].name, L"nameless");  // no appname: its file's name
    EXPECT_TRUE(list[3].enabled);
}

TEST_F(PluginFiles, FlagGoesIntoTheFileTheRowWasReadFrom) {
    WriteText(Folder() + L"\\Other.ppe", "[name]\r\nappname=Foo\r\n[regtree]\r\n1=-2147483647,Software\\Foo\r\n");
    auto list = plugins::Installed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].enabled);
    ASSERT_TRUE(plugins::WriteEnabled(list[0], true));
    EXPECT_EQ(Inifun::ReadIniValue(Folder() + L"\\Other.ppe", L"swich", L"on"), L"1");
    EXPECT_FALSE(nvtest::Exists(Folder() + L"\\Foo.ppe"));
    EXPECT_TRUE(plugins::Installed()[0].enabled);
    EXPECT_EQ(Inifun::ReadIniValue(Folder() + L"\\Other.ppe", L"regtree", L"1"), L"-2147483647,Software\\Foo");

    // Held open by another program without write sharing: the write fails and says so.
    ScopedFile held(CreateFileW((Folder() + L"\\Other.ppe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(plugins::WriteEnabled(list[0], false));
}

TEST_F(PluginFiles, CommandsInSectionOrderWithUntrimmedFields) {
    WriteText(Folder() + L"\\c.ppe",
              "[folder]\r\nf=appdata,\\A\r\n[swich]\r\non=1\r\n[file]\r\nk=base, \\rel ,name.txt,extra\r\nnokey\r\n"
              "[regtree]\r\n1=-2147483647,Software\\X=Y\r\n2=&H80000001,Software\\Z\r\n[other]\r\nq=1,2\r\n");
    auto commands = plugins::Installed().at(0).Commands();
    using S = plugins::Section;
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].section, S::regtree);
    EXPECT_EQ(commands[0].fields, (std::vector<std::wstring>{L"-2147483647", L"Software\\X=Y"}));
    EXPECT_EQ(commands[1].fields, (std::vector<std::wstring>{L"&H80000001", L"Software\\Z"}));
    EXPECT_EQ(commands[2].section, S::file);
    EXPECT_EQ(commands[2].fields, (std::vector<std::wstring>{L"base", L" \\rel ", L"name.txt", L"extra"}));
    EXPECT_EQ(commands[3].fields, (std::vector<std::wstring>{L"nokey"}));
    EXPECT_EQ(commands[4].section, S::folder);
}

TEST(CustomItemText, MegabyteCellsInBothPatterns) {
    struct Case {
        double bytes;
        const wchar_t* padded;
        const wchar_t* added;
    } cases[] = {
        {0, L"00.00MB", L".MB"},
        {3.25 * 1048576, L"03.25MB", L"3.25MB"},
        {3.2 * 1048576, L"03.20MB", L"3.2MB"},
        {3 * 1048576, L"03.00MB", L"3.MB"},
        {0.5 * 1048576, L"00.50MB", L".5MB"},
        {0.05 * 1048576, L"00.05MB", L".05MB"},
        {123.456 * 1048576, L"123.46MB", L"123.46MB"},
        {5000, L"00.00MB", L".MB"},
        {6000, L"00.01MB", L".01MB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cusd::MegabytesCell(c.bytes, true), c.padded) << c.bytes;
        EXPECT_EQ(cusd::MegabytesCell(c.bytes, false), c.added) << c.bytes;
    }
}

TEST(CustomItemText, SelectedFileInfoFromTheSelectionItself) {
    using ModDlgSelectFileInfo::GetSelectedFileInfo;
    struct Case {
        std::wstring selection;
        const wchar_t* folder;
        std::vector<std::wstring> names;
    } cases[] = {
        {std::wstring(L"C:\\dir\\one.txt\0\0", 16), L"C:\\dir\\", {L"one.txt"}},
        {std::wstring(L"C:\\dir\0c.txt\0a.txt\0b.txt\0\0", 27), L"C:\\dir\\", {L"c.txt", L"a.txt", L"b.txt"}},
        {std::wstring(L"C:\\\0x\0y\0\0", 10), L"C:\\", {L"x", L"y"}},
        {std::wstring(L"\0\0", 2), L"", {}},
    };
    for (const Case& c : cases) {
        auto info = GetSelectedFileInfo(c.selection);
        EXPECT_EQ(info.sPath, c.folder);
        EXPECT_EQ(info.sFiles, c.names);
        EXPECT_EQ(info.nCount, static_cast<short>(c.names.size()));
    }
}

}  // namespace
