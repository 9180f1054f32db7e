#include "foundation/selection_profile.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "foundation/app_path.h"
#include "foundation/text.h"
#include "sandbox.h"
#include "foundation/ini_access.h"

using namespace nv::profile;

TEST(Profile, SchemaHoldsEveryItemKeyOnce) {
    auto keys = ItemKeys();
    ASSERT_EQ(keys.size(), 138u);
    ASSERT_EQ(ItemSections().size(), 16u);

    std::set<int> boxes;
    std::set<std::wstring> sectionKeys;
    std::map<std::wstring, int> perSection;
    size_t sectionIndex = 0;
    for (const auto& k : keys) {
        EXPECT_TRUE(boxes.insert(k.checkBox).second) << "Check" << k.checkBox;
        EXPECT_TRUE(sectionKeys.insert(nv::ToLower(std::wstring(k.section) + L"/" + k.key)).second)
            << nvtest::Narrow(k.key);
        // Sections come in write order, each in one block.
        while (sectionIndex < ItemSections().size() && std::wstring(ItemSections()[sectionIndex]) != k.section)
            ++sectionIndex;
        ASSERT_LT(sectionIndex, ItemSections().size()) << nvtest::Narrow(k.section) << " out of order";
        ++perSection[k.section];
        EXPECT_NE(std::wstring(k.caption), L"");
        EXPECT_NE(std::wstring(k.group), L"");
    }
    EXPECT_EQ(perSection[L"EXPLORER"], 9);
    EXPECT_EQ(perSection[L"WINDOWS"], 27);
    EXPECT_EQ(perSection[L"OFFICE"], 13);
    EXPECT_EQ(perSection[L"Messenger"], 17);
    EXPECT_EQ(perSection[L"Custom"], 1);
    EXPECT_EQ(perSection[L"mail"], 7);
    EXPECT_EQ(std::wstring(keys.front().key), L"location");
    EXPECT_EQ(std::wstring(keys.back().key), L"accounts");
    EXPECT_EQ(keys.back().checkBox, 126);
}

TEST(Profile, FlagTests) {
    EXPECT_TRUE(IsTextFlagOn(L"1"));
    EXPECT_TRUE(IsNumericFlagOn(L"1"));
    for (const wchar_t* v : {L"01", L"1.0", L" 1.0 "}) {
        EXPECT_FALSE(IsTextFlagOn(v)) << nvtest::Narrow(v);
        EXPECT_TRUE(IsNumericFlagOn(v)) << nvtest::Narrow(v);
    }
    for (const wchar_t* v : {L"", L"0", L"2", L"yes", L"true", L"-1"}) {
        EXPECT_FALSE(IsTextFlagOn(v)) << nvtest::Narrow(v);
        EXPECT_FALSE(IsNumericFlagOn(v)) << nvtest::Narrow(v);
    }
}

TEST(Profile, FlagsReadFromTheFileWithTrimming) {
    nvtest::ScratchDir d(L"profile");
    nv::SetAppFolderForTests(d.path());
    nvtest::WriteText(d / L"prisd.dat", "[WINDOWS]\r\nrecent= 1 \r\n[Maxthon]\r\nkeywords=01\r\n");
    EXPECT_TRUE(TextFlag(L"windows", L"RECENT"));
    EXPECT_TRUE(NumericFlag(L"WINDOWS", L"recent"));
    EXPECT_FALSE(TextFlag(L"Maxthon", L"keywords"));
    EXPECT_TRUE(NumericFlag(L"Maxthon", L"keywords"));
    EXPECT_FALSE(TextFlag(L"Maxthon", L"pages"));
    EXPECT_FALSE(NumericFlag(L"Maxthon", L"pages"));
    nv::SetAppFolderForTests(L"");
}

TEST(Profile, DayMask) {
    auto d = ReadDayMask(L"");
    for (const auto& v : d) EXPECT_EQ(v, L"0");

    d = ReadDayMask(L"0100010");
    EXPECT_EQ(d[1], L"1");
    EXPECT_EQ(d[5], L"1");
    EXPECT_EQ(d[0], L"0");
    EXPECT_EQ(d[6], L"0");

    d = ReadDayMask(L"1111");
    EXPECT_EQ(d[0], L"1");
    EXPECT_EQ(d[3], L"1");
    EXPECT_EQ(d[4], L"");
    EXPECT_EQ(d[5], L"");
    EXPECT_EQ(d[6], L"1");

    d = ReadDayMask(L"1");
    EXPECT_EQ(d[0], L"1");
    EXPECT_EQ(d[1], L"");
    EXPECT_EQ(d[6], L"1");

    EXPECT_EQ(JoinDayMask({false, true, false, false, false, true, false}), L"0100010");
}
