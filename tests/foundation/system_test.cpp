#include "foundation/system.h"

#include <gtest/gtest.h>

#include "sandbox.h"

using namespace nv;

namespace {
// USERPROFILE set to a value (or removed) for one test.
struct UserProfileVar : nvtest::EnvVar {
    explicit UserProfileVar(const wchar_t* value) : nvtest::EnvVar(L"USERPROFILE", value) {}
};
}  // namespace

TEST(System, ProcessPathReplacesUpToTheFirstToken) {
    UserProfileVar v(L"C:\\Users\\ann");
    EXPECT_EQ(processpath(L"%USERPROFILE%\\Local Settings"), L"C:\\Users\\ann\\Local Settings");
    EXPECT_EQ(processpath(L"X%USERPROFILE%\\a"), L"C:\\Users\\ann\\a");
    EXPECT_EQ(processpath(L"%userprofile%\\a"), L"%userprofile%\\a");
    EXPECT_EQ(processpath(L"%USERPROFILE%\\a%USERPROFILE%"), L"C:\\Users\\ann\\a%USERPROFILE%");
    EXPECT_EQ(processpath(L"C:\\plain"), L"C:\\plain");
}

TEST(System, ProcessPathWithoutTheVariableKeepsTheRest) {
    UserProfileVar v(nullptr);
    EXPECT_EQ(processpath(L"%USERPROFILE%\\a"), L"\\a");
}

TEST(System, OfficeVersionMapping) {
    EXPECT_EQ(MapOfficeVersion(L"8.0"), L"Office97");
    EXPECT_EQ(MapOfficeVersion(L"9.0"), L"Office2000");
    EXPECT_EQ(MapOfficeVersion(L"10.0"), L"Office2002");
    EXPECT_EQ(MapOfficeVersion(L"11.0"), L"Office2003");
    EXPECT_EQ(MapOfficeVersion(L"12.0"), L"Office2007");
    EXPECT_EQ(MapOfficeVersion(L"14.0"), L"Office2010");
    EXPECT_EQ(MapOfficeVersion(L"15.0"), L"");
    EXPECT_EQ(MapOfficeVersion(L"16.0"), L"");
    EXPECT_EQ(MapOfficeVersion(L"0"), L"");
}

TEST(System, NoWordProcessorGivesNoOffice) { EXPECT_EQ(GetOfficeVersion(), L"NoOffice"); }

TEST(System, IEVersionIsTheFirstCharacter) {
    const std::wstring sub = L"SOFTWARE\\Microsoft\\Internet Explorer";
    DWORD type = 0, size = 0;
    std::wstring saved(256, L'\0');
    size = static_cast<DWORD>(saved.size() * sizeof(wchar_t));
    bool had = RegGetValueW(HKEY_LOCAL_MACHINE, sub.c_str(), L"Version", RRF_RT_REG_SZ, &type, saved.data(), &size) ==
               ERROR_SUCCESS;
    saved.resize(had ? size / sizeof(wchar_t) - 1 : 0);

    nvtest::SetString(HKEY_LOCAL_MACHINE, sub, L"Version", L" 8.0.6001.18702");
    EXPECT_EQ(GetIEVersion(), L"8");
    EXPECT_EQ(IEMajorVersion(), 8);
    nvtest::SetString(HKEY_LOCAL_MACHINE, sub, L"Version", L"x1");
    EXPECT_EQ(IEMajorVersion(), 0);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, sub.c_str(), L"Version");
    EXPECT_EQ(GetIEVersion(), L"E");  // the "Error" text of the failed read
    EXPECT_EQ(IEMajorVersion(), 0);
    if (had) nvtest::SetString(HKEY_LOCAL_MACHINE, sub, L"Version", saved);
}

TEST(System, FoldersFromRegistryText) {
    UserProfileVar v(L"C:\\Users\\ann");
    EXPECT_EQ(FolderFromRegistryText(L"Error"), L"");
    EXPECT_EQ(FolderFromRegistryText(L"  C:\\Data  "), L"C:\\Data");
    EXPECT_EQ(FolderFromRegistryText(L"%USERPROFILE%\\Cache"), L"C:\\Users\\ann\\Cache");
    EXPECT_EQ(FolderFromRegistryText(L"%USERPROFILE%\\Cache", false), L"%USERPROFILE%\\Cache");
    EXPECT_EQ(FolderFromRegistryText(std::wstring(300, L'a')), std::wstring(255, L'a'));
}
