#include "foundation/text.h"

#include <gtest/gtest.h>

using namespace nv;

TEST(Text, NumberTextIsTheShortestPlainDecimal) {
    EXPECT_EQ(NumberText(0), L"0");
    EXPECT_EQ(NumberText(12), L"12");
    EXPECT_EQ(NumberText(3500000), L"3500000");
    EXPECT_EQ(NumberText(3145728), L"3145728");
    EXPECT_EQ(NumberText(0.5), L"0.5");
    EXPECT_EQ(NumberText(1e20), L"100000000000000000000");
    EXPECT_EQ(NumberText(-3), L"-3");
}

TEST(Text, MegabytesHaveTwoRoundedDecimals) {
    EXPECT_EQ(MegabytesText(0), L"0.00");
    EXPECT_EQ(MegabytesText(1048576), L"1.00");
    EXPECT_EQ(MegabytesText(500000), L"0.48");
    EXPECT_EQ(MegabytesText(3145728), L"3.00");
    EXPECT_EQ(MegabytesText(4000000), L"3.81");
}

TEST(Text, ParseNumberFollowsThePlatformConversion) {
    EXPECT_EQ(ParseNumber(L"1"), 1.0);
    EXPECT_EQ(ParseNumber(L" 1 "), 1.0);
    EXPECT_EQ(ParseNumber(L"01"), 1.0);
    EXPECT_EQ(ParseNumber(L"1.0"), 1.0);
    EXPECT_EQ(ParseNumber(L"-2.5"), -2.5);
    EXPECT_EQ(ParseNumber(L"+3"), 3.0);
    EXPECT_FALSE(ParseNumber(L"").has_value());
    EXPECT_FALSE(ParseNumber(L"   ").has_value());
    EXPECT_FALSE(ParseNumber(L"yes").has_value());
    EXPECT_FALSE(ParseNumber(L"1x").has_value());
}

TEST(Text, TrimRemovesBlanksOnly) {
    EXPECT_EQ(TrimBlanks(L"  a b  "), L"a b");
    EXPECT_EQ(TrimBlanks(L"\ta\t"), L"\ta\t");
    EXPECT_EQ(TrimBlanks(L"    "), L"");
}

TEST(Text, Utf8RoundTrip) {
    std::wstring s = L"C:\\Us\u00e9rs\\\u4e2d\u6587";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
}

TEST(Text, LeadingNumberReadsAsPlugInFilesWriteNumbers) {
    struct Case {
        const wchar_t* text;
        double value;
    } cases[] = {
        {L"-2147483647", -2147483647.0}, {L"&H80000001", -2147483647.0}, {L"&h80000001", -2147483647.0},
        {L"&HFFFFFFFF", -1.0},           {L"&H7FFFFFFF", 2147483647.0}, {L"&H1G", 1.0},
        {L"&H180000001", 6442450945.0},  {L"&O17", 15.0},               {L"&O20000000001", -2147483647.0},
        {L" 1 2\t3\n4", 1234.0},         {L"12abc", 12.0},              {L"1.5e2x", 150.0},
        {L"1D3", 1000.0},                {L"-.5", -0.5},                {L"+7", 7.0},
        {L"1e", 1.0},                    {L"", 0.0},                    {L"abc", 0.0},
        {L"-", 0.0},                     {L"&", 0.0},                   {L"&X1", 0.0},
        {L"2147483649", 2147483649.0},   {L"1\r2", 1.0},
    };
    for (const Case& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << ToUtf8(c.text);
}
