// The two keep-list dialogs through their controls: what they list, Add and
// Remove against the files, a keep list that cannot be saved, and the
// cookie preview.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "keeplists/cookies_dialog.h"
#include "keeplists/url_droplist_dialog.h"
#include "keeplists/keep_list_files.h"
#include "keeplists/keep_dialog.h"
#include "recorders.h"
#include "sandbox.h"
#include "ui/resource.h"
#include "ui/ui.h"

using namespace nv;

namespace {

const std::wstring kTypedUrls = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::wstring kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::vector<std::wstring> Entries(HWND list) {
    std::vector<std::wstring> out;
    int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buf[1024] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

void Select(HWND list, std::initializer_list<int> rows) {
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int r : rows) SendMessageW(list, LB_SETSEL, TRUE, r);
}

class KeepDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderForTests(app_.path());
        nvtest::DeleteTree(HKEY_CURRENT_USER, kTypedUrls);
    }
    void TearDown() override {
        if (dlg_) DestroyWindow(dlg_);
        nvtest::DeleteTree(HKEY_CURRENT_USER, kTypedUrls);
        SetAppFolderForTests(L"");
    }
    HWND Item(int ctl) { return GetDlgItem(dlg_, ctl); }
    void Click(int ctl) { SendMessageW(Item(ctl), BM_CLICK, 0, 0); }

    nvtest::ScratchDir app_{L"keep"};
    nvtest::RecordingPrompter prompts_;
    HWND dlg_ = nullptr;
};

TEST_F(KeepDialogs, UrlListsAddAndRemove) {
    namespace id = ids::frmurl;
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://a.example/");
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url2", L"http://b.example/  ");
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url3", L"http://long.example/" + std::wstring(300, L'x'));
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url4", L"http://after.example/");
    nvtest::WriteText(keeplists::KeepUrlFile(), "kept.example   \r\n\r\nkept.example\r\n");
    dlg_ = frmurl::Create(nullptr);
    ASSERT_NE(dlg_, nullptr);
    EXPECT_EQ(ui::GetText(dlg_), L"URL Drop-List Options");
    EXPECT_EQ(ui::GetText(Item(id::Frame1)), L"URL Drop-List");
    EXPECT_EQ(ui::GetText(Item(id::Label1)), L"Current URL List");
    EXPECT_EQ(ui::GetText(Item(id::Label2)), L"URL Keep List");
    EXPECT_EQ(ui::GetText(Item(id::cmdAdd)), L"Add >");
    EXPECT_EQ(ui::GetText(Item(id::cmdRemove)), L"< Remove");
    // The listing ends at the value too long for its buffer.
    EXPECT_EQ(Entries(Item(id::List2)), (std::vector<std::wstring>{L"http://a.example/", L"http://b.example/  "}));
    EXPECT_EQ(Entries(Item(id::List1)), (std::vector<std::wstring>{L"kept.example", L"", L"kept.example"}));

    Click(id::cmdAdd);  // nothing selected: an empty entry
    SendMessageW(Item(id::List2), LB_SETCURSEL, 1, 0);
    Click(id::cmdAdd);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepUrlFile()),
              "kept.example   \r\n\r\nkept.example\r\n\r\nhttp://b.example/\r\n");
    EXPECT_EQ(SendMessageW(Item(id::List1), LB_GETHORIZONTALEXTENT, 0, 0), keeplists::ListTextWidth(Item(id::List1)));
    EXPECT_GT(keeplists::ListTextWidth(Item(id::List1)), 8);

    Select(Item(id::List1), {0, 4});  // one of two equal entries, and the last
    Click(id::cmdRemove);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepUrlFile()), "\r\nkept.example\r\n\r\n");
    Select(Item(id::List1), {0, 1, 2});
    Click(id::cmdRemove);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepUrlFile()), "");
    EXPECT_TRUE(nvtest::Exists(keeplists::KeepUrlFile()));
    EXPECT_EQ(keeplists::ListTextWidth(Item(id::List1)), 0);
}

// Held open by another program: the user is told, and the list shows what
// the file really keeps.
TEST_F(KeepDialogs, AKeepListThatCannotBeSavedSaysSo) {
    namespace id = ids::frmurl;
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://a.example/");
    nvtest::WriteText(keeplists::KeepUrlFile(), "old.example\r\n");
    dlg_ = frmurl::Create(nullptr);
    ScopedFile held(CreateFileW(keeplists::KeepUrlFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(held);
    SendMessageW(Item(id::List2), LB_SETCURSEL, 0, 0);
    Click(id::cmdAdd);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find(keeplists::KeepUrlFile()), std::wstring::npos);
    EXPECT_EQ(Entries(Item(id::List1)), (std::vector<std::wstring>{L"old.example"}));
    Select(Item(id::List1), {0});
    Click(id::cmdRemove);
    EXPECT_EQ(prompts_.shown.size(), 2u);
    EXPECT_EQ(Entries(Item(id::List1)), (std::vector<std::wstring>{L"old.example"}));
}

TEST_F(KeepDialogs, CookieListsAddRemoveAndPreview) {
    namespace id = ids::frmcookie;
    nvtest::ScratchDir cookies(L"cookies");
    nvtest::ValueOverride folder(HKEY_CURRENT_USER, kShellFolders, L"Cookies", cookies.path());
    nvtest::WriteText(cookies / L"ann@a.txt", "name\nvalue\na.example/\n");
    nvtest::WriteText(cookies / L"ann@b.TXT", "x");
    nvtest::WriteText(cookies / L"index.dat", "x");
    nvtest::WriteText(cookies / L"ann@c.txt.bak", "c\r\nd");
    nvtest::WriteFile(cookies / L"big.txt", 3 * 1024 * 1024, 'q');
    nvtest::MakeDirs(cookies / L"dir.txt");
    dlg_ = frmcookie::Create(nullptr);
    ASSERT_NE(dlg_, nullptr);
    EXPECT_EQ(ui::GetText(dlg_), L"Cookies Options");
    EXPECT_EQ(ui::GetText(Item(id::Frame1)), L"Cookies");
    EXPECT_EQ(ui::GetText(Item(id::Frame3)), L"Current Cookies List");
    EXPECT_EQ(ui::GetText(Item(id::Frame2)), L"Cookies Keep List");
    HWND current = Item(id::lstCookieList), keep = Item(id::List1);
    auto listed = Entries(current);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::wstring>{cookies / L"ann@a.txt", cookies / L"ann@c.txt.bak", cookies / L"big.txt"}));
    EXPECT_TRUE(Entries(keep).empty());

    auto pick = [&](HWND list, const std::wstring& entry) {
        int i = static_cast<int>(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(entry.c_str())));
        if (GetWindowLongW(list, GWL_STYLE) & LBS_EXTENDEDSEL) {
            Select(list, {i});
            SendMessageW(list, LB_SETCARETINDEX, i, 0);
        } else {
            SendMessageW(list, LB_SETCURSEL, i, 0);
        }
        SendMessageW(dlg_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
    pick(current, cookies / L"ann@a.txt");
    EXPECT_EQ(ui::GetText(Item(id::Text1)), L"name\r\nvalue\r\na.example/\r\n");
    Click(id::cmdAdd);
    pick(current, cookies / L"ann@c.txt.bak");
    EXPECT_EQ(ui::GetText(Item(id::Text1)), L"c\r\nd");
    Click(id::cmdAdd);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepCookieFile()), nvtest::Narrow(cookies / L"ann@a.txt") + "\r\n" +
                                                                  nvtest::Narrow(cookies / L"ann@c.txt.bak") + "\r\n");
    // A large file shows its beginning only.
    pick(current, cookies / L"big.txt");
    std::wstring big = ui::GetText(Item(id::Text1));
    EXPECT_LT(big.size(), 70u * 1024);
    EXPECT_EQ(big.substr(0, 4), L"qqqq");
    // A kept file that is gone leaves the preview as it was.
    DeleteFileW((cookies / L"ann@a.txt").c_str());
    pick(keep, cookies / L"ann@a.txt");
    EXPECT_EQ(ui::GetText(Item(id::Text1)), big);
    pick(keep, cookies / L"ann@c.txt.bak");
    EXPECT_EQ(ui::GetText(Item(id::Text1)), L"c\r\nd");

    Select(keep, {0, 1});
    Click(id::cmdRemove);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepCookieFile()), "");
    EXPECT_TRUE(Entries(keep).empty());

    // Stored lines show without their trailing blanks, and a removal writes
    // the others back as shown; the run still reads them as stored.
    DestroyWindow(dlg_);
    const std::string a = nvtest::Narrow(cookies / L"ann@a.txt"), b = nvtest::Narrow(cookies / L"ann@b.TXT");
    nvtest::WriteText(keeplists::KeepCookieFile(), a + "   \r\n" + b + "\r\n");
    EXPECT_EQ(keeplists::CookieKeepListForRun(), (std::vector<std::wstring>{cookies / L"ann@a.txt   ", cookies / L"ann@b.TXT"}));
    dlg_ = frmcookie::Create(nullptr);
    keep = Item(id::List1);
    EXPECT_EQ(Entries(keep), (std::vector<std::wstring>{cookies / L"ann@a.txt", cookies / L"ann@b.TXT"}));
    Select(keep, {1});
    Click(id::cmdRemove);
    EXPECT_EQ(nvtest::ReadText(keeplists::KeepCookieFile()), a + "\r\n");
}

// Without its keep file a dialog's load ends before it sets the extents;
// with one, even an empty one, both lists get theirs.
TEST_F(KeepDialogs, ExtentsOnlyWhenTheKeepFileExists) {
    nvtest::ScratchDir cookies(L"cookies");
    nvtest::ValueOverride folder(HKEY_CURRENT_USER, kShellFolders, L"Cookies", cookies.path());
    nvtest::WriteText(cookies / L"ann@a.txt", "x");
    nvtest::SetString(HKEY_CURRENT_USER, kTypedUrls, L"url1", L"http://a.example/");
    const struct {
        HWND (*create)(HWND);
        std::wstring (*file)();
        int current;
    } dialogs[] = {{frmurl::Create, keeplists::KeepUrlFile, ids::frmurl::List2},
                   {frmcookie::Create, keeplists::KeepCookieFile, ids::frmcookie::lstCookieList}};
    for (const auto& d : dialogs) {
        for (bool exists : {false, true}) {
            DeleteFileW(d.file().c_str());
            if (exists) nvtest::WriteText(d.file(), "");
            dlg_ = d.create(nullptr);
            HWND current = GetDlgItem(dlg_, d.current);
            ASSERT_GT(keeplists::ListTextWidth(current), 8);
            EXPECT_EQ(SendMessageW(current, LB_GETHORIZONTALEXTENT, 0, 0),
                      exists ? keeplists::ListTextWidth(current) : 0)
                << d.current << " " << exists;
            DestroyWindow(dlg_);
            dlg_ = nullptr;
        }
    }
}

TEST(CookiePreview, OnlyPlainFiles) {
    EXPECT_FALSE(keeplists::PreviewText(L"").has_value());
    EXPECT_FALSE(keeplists::PreviewText(L"C:\\windows").has_value());
    EXPECT_FALSE(keeplists::PreviewText(L"\\\\.\\pipe\\norvale-no-such-pipe").has_value());
    EXPECT_FALSE(keeplists::PreviewText(L"CON").has_value());
}

}  // namespace
