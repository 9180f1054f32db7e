// Folder variables and wildcard names in plug-in paths.
#include "foundation/path_variables.h"

#include <gtest/gtest.h>

#include "foundation/wildcard.h"
#include "sandbox.h"

using namespace nv;

namespace {

TEST(PathVars, VariablesOfEveryKind) {
    nvtest::EnvVar tool(L"NV_TOOL_DIR", L"D:\\Tools");
    nvtest::EnvVar empty(L"NV_EMPTY", L"");
    nvtest::EnvVar drive(L"NV_DRIVE", L"C:");
    nvtest::EnvVar native(L"ProgramW6432", L"C:\\Program Files");
    nvtest::EnvVar x86(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
    const pathvars::Folders f{L"C:\\Roam", L"C:\\Local"};
    struct Case {
        const wchar_t* in;
        std::vector<std::wstring> out;
        const wchar_t* unknown;
    } cases[] = {
        {L"%AppData%\\A", {L"C:\\Roam\\A"}, L""},
        {L"%LOCALAPPDATA%\\A\\%nv_tool_dir%", {L"C:\\Local\\A\\D:\\Tools"}, L""},
        {L"%ProgramFiles%\\App", {L"C:\\Program Files\\App", L"C:\\Program Files (x86)\\App"}, L""},
        {L"C:\\100% sure\\x", {L"C:\\100% sure\\x"}, L""},
        {L"%NoSuchVar%\\x", {}, L"NoSuchVar"},
        {L"%NV_EMPTY%\\x", {}, L"NV_EMPTY"},
        {L"%%\\x", {}, L""},
        // A drive variable is the drive's root, not its current folder.
        {L"%NV_DRIVE%\\X", {L"C:\\X"}, L""},
        {L"%NV_DRIVE%", {L"C:\\"}, L""},
    };
    for (const Case& c : cases) {
        auto x = pathvars::Expand(c.in, f);
        std::vector<std::wstring> paths;
        for (const auto& e : x.paths) paths.push_back(e.path);
        EXPECT_EQ(paths, c.out) << nvtest::Narrow(c.in);
        EXPECT_EQ(x.unknown, c.unknown) << nvtest::Narrow(c.in);
    }
    EXPECT_EQ(pathvars::Expand(L"%AppData%\\Vendor\\*", f).paths.at(0).fromVariables, 7u);
    EXPECT_EQ(pathvars::Expand(L"%NV_DRIVE%\\Vendor", f).paths.at(0).fromVariables, 3u);
    for (const wchar_t* known : {L"%Documents%", L"%LocalLowAppData%", L"%CommonAppData%", L"%Music%", L"%Pictures%", L"%Video%"}) {
        auto x = pathvars::Expand(known, f);
        ASSERT_EQ(x.paths.size(), 1u) << nvtest::Narrow(known);
        EXPECT_EQ(x.paths[0].path.substr(1, 2), L":\\") << nvtest::Narrow(known);
    }
}

TEST(Wildcard, NamesMatchWithinOneSegmentInAnyCase) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* name;
        bool match;
    } cases[] = {
        {L"*.*", L"History", true},        {L"*.*", L"a.b.c", true},        {L"*", L"", true},
        {L"*.log", L"Debug.LOG", true},    {L"*.log", L"log", false},       {L"*.log", L"a.log.txt", false},
        {L"Profile *", L"Profile 12", true}, {L"Profile *", L"Profile", false}, {L"Profile *", L"System Profile", false},
        {L"f_??????", L"f_00a1b2", true},  {L"f_??????", L"f_00a1b", false}, {L"*a*b*c", L"xaybzc", true},
        {L"*a*b*c", L"xaybz", false},      {L"\u00c9T\u00c9", L"\u00e9t\u00e9", true}, {L"History", L"history", true},
        {L"History", L"History-journal", false},
        // A final dot: a name without an extension.
        {L"index.", L"index", true},       {L"index.", L"index.html", false}, {L"data*.", L"datam", true},
        {L"data*.", L"data.bin", false},   {L"*.", L"README", true},          {L"*.", L"a.txt", false},
        {L"a.b.", L"a.b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wildcard::Matches(c.pattern, c.name), c.match) << nvtest::Narrow(c.pattern) << " " << nvtest::Narrow(c.name);
}

}  // namespace
