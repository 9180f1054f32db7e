#include "foundation/registry_access.h"

#include <gtest/gtest.h>

#include "sandbox.h"
#include "recorders.h"

using namespace nv::regfun;
using nvtest::RecordingPrompter;
using nvtest::TestKey;

TEST(Regfun, RootNamesAreExactAndCaseSensitive) {
    EXPECT_EQ(GetRootKey(L"HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(GetRootKey(L"HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
    EXPECT_EQ(GetRootKey(L"HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(GetRootKey(L"HKEY_USERS"), HKEY_USERS);
    EXPECT_EQ(GetRootKey(L"HKEY_PERFORMANCE_DATA"), HKEY_PERFORMANCE_DATA);
    EXPECT_EQ(GetRootKey(L"HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(GetRootKey(L"HKEY_DYN_DATA"), HKEY_DYN_DATA);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetRootKey(L"HKEY_CURRENT_USER")) & 0xFFFFFFFF, 0x80000001u);
    EXPECT_EQ(GetRootKey(L"hkey_current_user"), nullptr);
    EXPECT_EQ(GetRootKey(L"HKCU"), nullptr);
    EXPECT_EQ(GetRootKey(L""), nullptr);
}

TEST(Regfun, ParseKeyPathSplitsRootAndSubKey) {
    RecordingPrompter prompts;
    std::wstring p = L"HKEY_CURRENT_USER\\Software\\A\\B";
    HKEY root;
    EXPECT_TRUE(ParseKeyPath(p, root));
    EXPECT_EQ(root, HKEY_CURRENT_USER);
    EXPECT_EQ(p, L"Software\\A\\B");

    p = L"HKEY_LOCAL_MACHINE";
    EXPECT_TRUE(ParseKeyPath(p, root));
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(p, L"");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(Regfun, MalformedPathsShowTheFormatBoxAndDoNothing) {
    RecordingPrompter prompts;
    TestKey k(L"regfun-malformed");
    std::wstring lower = L"hkey_current_user\\" + k.sub();
    EXPECT_EQ(GetRegValue(lower, L"x"), L"");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, L"Incorrect Format:\n\n" + lower);
    EXPECT_EQ(prompts.shown[0].title, L"Norvale System Cleaner");
    EXPECT_EQ(prompts.shown[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));

    std::wstring trailing = k.path() + L"\\";
    SetRegValue(trailing, L"v", L"data");
    CreateRegKey(k.path() + L"\\New\\");
    EXPECT_EQ(prompts.shown.size(), 3u);
    EXPECT_FALSE(nvtest::ValueExists(HKEY_CURRENT_USER, k.sub(), L"v"));
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, k.sub() + L"\\New"));
}

TEST(Regfun, UnknownRootGivesEmptyResultWithoutMessage) {
    RecordingPrompter prompts;
    EXPECT_EQ(GetRegValue(L"HKEY_NOWHERE\\Software", L"x"), L"");
    CreateRegKey(L"HKEY_NOWHERE\\Software\\Norvale");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(Regfun, GetRegValueTrimsLeadingBlankKeepsTrailingOne) {
    TestKey k(L"regfun-blanks");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"v", L" padded ");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"empty", L"");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"plain", L"C:\\Users\\ann");
    EXPECT_EQ(GetRegValue(k.path(), L"v"), L"padded ");
    EXPECT_EQ(GetRegValue(k.path(), L"empty"), L"");
    EXPECT_EQ(GetRegValue(k.path(), L"plain"), L"C:\\Users\\ann");
    DWORD type = REG_SZ;
    EXPECT_EQ(QueryRegValue(HKEY_CURRENT_USER, k.sub(), L"v", type), L" padded ");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST(Regfun, FailuresGiveTheirOwnTexts) {
    TestKey k(L"regfun-fail");
    DWORD type = REG_SZ;
    EXPECT_EQ(GetRegValue(k.path(), L"missing"), L"Error");
    EXPECT_EQ(GetRegValue(k.path() + L"\\NoSuchKey", L"x"), L"Error");
    EXPECT_EQ(QueryRegValue(HKEY_CURRENT_USER, k.sub(), L"missing", type), L"error");
    EXPECT_EQ(QueryRegValue(HKEY_CURRENT_USER, k.sub() + L"\\NoSuchKey", L"x", type), L"error");
}

TEST(Regfun, DataLongerThanTheBufferIsAFailure) {
    TestKey k(L"regfun-long");
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"long", std::wstring(300, L'a'));
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"fits", std::wstring(254, L'b'));
    nvtest::SetString(HKEY_CURRENT_USER, k.sub(), L"over", std::wstring(255, L'c'));
    DWORD type = REG_SZ;
    EXPECT_EQ(GetRegValue(k.path(), L"long"), L"Error");
    EXPECT_EQ(QueryRegValue(HKEY_CURRENT_USER, k.sub(), L"long", type), L"error");
    EXPECT_EQ(GetRegValue(k.path(), L"fits"), std::wstring(254, L'b'));
    EXPECT_EQ(GetRegValue(k.path(), L"over"), L"Error");
    // Data that is not text is measured in bytes: 300 of them do not fit either.
    const std::string bytes(300, 'd');
    RegSetKeyValueW(HKEY_CURRENT_USER, k.sub().c_str(), L"bin", REG_BINARY, bytes.data(), 300);
    EXPECT_EQ(QueryRegValue(HKEY_CURRENT_USER, k.sub(), L"bin", type), L"error");
}

TEST(Regfun, ReadsAValueOfTheRootKeyItself) {
    RecordingPrompter prompts;
    // A value set on the root itself is readable through the bare root name.
    nvtest::SetString(HKEY_CURRENT_USER, L"", L"NorvaleRootValue", L"root!");
    EXPECT_EQ(GetRegValue(L"HKEY_CURRENT_USER", L"NorvaleRootValue"), L"root!");
    RegDeleteValueW(HKEY_CURRENT_USER, L"NorvaleRootValue");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(Regfun, SetRegValueNeverCreatesAKey) {
    TestKey k(L"regfun-set");
    SetRegValue(k.path() + L"\\Missing", L"v", L"x");
    EXPECT_FALSE(nvtest::KeyExists(HKEY_CURRENT_USER, k.sub() + L"\\Missing"));

    CreateRegKey(k.path() + L"\\A\\B\\C");
    EXPECT_TRUE(nvtest::KeyExists(HKEY_CURRENT_USER, k.sub() + L"\\A\\B\\C"));
    SetRegValue(k.path() + L"\\A\\B\\C", L"url1", L"http://example.org/");
    EXPECT_EQ(GetRegValue(k.path() + L"\\A\\B\\C", L"url1"), L"http://example.org/");
    SetRegValue(k.path() + L"\\A\\B\\C", L"url1", L"replaced");
    EXPECT_EQ(GetRegValue(k.path() + L"\\A\\B\\C", L"url1"), L"replaced");
}

TEST(Regfun, NumberDataReadsAsRawCharacters) {
    TestKey k(L"regfun-dword");
    nvtest::SetDword(HKEY_CURRENT_USER, k.sub(), L"n", 0x41);
    DWORD type = REG_SZ;
    std::wstring v = QueryRegValue(HKEY_CURRENT_USER, k.sub(), L"n", type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(v, L"A");
}

TEST(Regfun, StripNull) {
    EXPECT_EQ(StripNull(std::wstring(L"abc\0def", 7)), L"abc");
    EXPECT_EQ(StripNull(L"no nul  "), L"no nul  ");
    EXPECT_EQ(StripNull(std::wstring(L"\0x", 2)), L"");
}
