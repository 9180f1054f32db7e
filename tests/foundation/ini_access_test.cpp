#include "foundation/ini_access.h"

#include <gtest/gtest.h>

#include "sandbox.h"

using namespace nv::Inifun;
using nvtest::ScratchDir;

TEST(Inifun, WritesAndReadsNamesWithoutRegardToCase) {
    ScratchDir d(L"ini");
    std::wstring f = d / L"prisd.dat";
    WriteIniValue(f, L"OPERA", L"Images", L"1");
    WriteIniValue(f, L"WINDOWS", L"recent", L"0");
    EXPECT_EQ(ReadIniValue(f, L"OPERA", L"images"), L"1");
    EXPECT_EQ(ReadIniValue(f, L"opera", L"IMAGES"), L"1");
    EXPECT_EQ(ReadIniValue(f, L"windows", L"recent"), L"0");
    // Replacing keeps one entry.
    WriteIniValue(f, L"opera", L"images", L"0");
    EXPECT_EQ(ReadIniValue(f, L"OPERA", L"Images"), L"0");
    auto lines = ReadIniSection(L"OPERA", f);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 1u);
}

TEST(Inifun, MissingFileSectionOrKeyReadsEmpty) {
    ScratchDir d(L"ini");
    std::wstring f = d / L"prisd.dat";
    EXPECT_EQ(ReadIniValue(f, L"Options", L"exit"), L"");
    WriteIniValue(f, L"Options", L"exit", L"1");
    EXPECT_EQ(ReadIniValue(f, L"Options", L"missing"), L"");
    EXPECT_EQ(ReadIniValue(f, L"Nope", L"exit"), L"");
    EXPECT_EQ(ReadIniValue(d / L"nofolder\\x.dat", L"Options", L"exit"), L"");
}

TEST(Inifun, BlanksAroundValuesAreTrimmed) {
    ScratchDir d(L"ini");
    std::wstring f = d / L"prisd.dat";
    nvtest::WriteText(f, "[WINDOWS]\r\nrecent=  1  \r\nrun= 0\r\n");
    EXPECT_EQ(ReadIniValue(f, L"WINDOWS", L"recent"), L"1");
    EXPECT_EQ(ReadIniValue(f, L"WINDOWS", L"run"), L"0");
}

TEST(Inifun, LongValuesAreCutToTheBuffers) {
    ScratchDir d(L"ini");
    std::wstring f = d / L"prisd.dat";
    std::wstring v;
    for (int i = 0; i < 200; ++i) v += static_cast<wchar_t>(L'a' + i % 26);
    WriteIniValue(f, L"S", L"k", v);
    std::string text = nvtest::ReadText(f);
    EXPECT_NE(text.find("k=" + nvtest::Narrow(v.substr(0, 128)) + "\r\n"), std::string::npos) << text;
    EXPECT_EQ(ReadIniValue(f, L"S", L"k"), v.substr(0, 127));
}

TEST(Inifun, SectionListHoldsTheLinesInFileOrder) {
    ScratchDir d(L"ini");
    std::wstring f = d / L"plugin.ppe";
    nvtest::WriteText(f, "[info]\r\nname=x\r\n[regtree]\r\nb=2,Software\\B\r\na=1,Software\\A\r\nc=3\r\n[empty]\r\n");
    auto lines = ReadIniSection(L"regtree", f);
    ASSERT_FALSE(nv::IsArraryEmpty(lines));
    ASSERT_EQ(lines->size(), 3u);
    EXPECT_EQ((*lines)[0], L"b=2,Software\\B");
    EXPECT_EQ((*lines)[1], L"a=1,Software\\A");
    EXPECT_EQ((*lines)[2], L"c=3");

    EXPECT_TRUE(nv::IsArraryEmpty(ReadIniSection(L"missing", f)));
    EXPECT_FALSE(ReadIniSection(L"missing", f).has_value());
    EXPECT_TRUE(nv::IsArraryEmpty(ReadIniSection(L"empty", f)));
    EXPECT_TRUE(nv::IsArraryEmpty(ReadIniSection(L"regtree", d / L"nofile.ppe")));
    EXPECT_TRUE(nv::IsArraryEmpty(std::vector<std::wstring>{}));
}
