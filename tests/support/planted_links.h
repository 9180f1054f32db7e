// Links planted from the Linux side by tools/lib/plant-links.sh (Wine
// cannot make them), under C:\nvlinks\<case>.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sandbox.h"

namespace nvtest {

// The common case layout: tree\ holds real.txt (10), sub\real.txt (20),
// file links keep.txt, flink.txt and config.ini, folder links dlink, elink
// and sub\cache; target\ holds what they point at; toplink is a link to
// target\dir.
struct LinkCase {
    std::wstring root;
    explicit LinkCase(const std::wstring& name) : root(L"C:\\nvlinks\\" + name) {}
    std::wstring tree() const { return root + L"\\tree"; }
    std::wstring target() const { return root + L"\\target"; }
    bool planted() const {
        DWORD a = GetFileAttributesW((tree() + L"\\dlink").c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    void ExpectTargetsIntact() const {
        EXPECT_EQ(ReadText(target() + L"\\keep.txt").size(), 1000u);
        EXPECT_EQ(ReadText(target() + L"\\dir\\inner.txt").size(), 2000u);
        EXPECT_TRUE(Exists(target() + L"\\dir\\cache\\c.txt"));
        EXPECT_TRUE(IsDir(target() + L"\\empty"));
        EXPECT_NE(ReadText(target() + L"\\config.ini").find("[S]"), std::string::npos);
    }
};

}  // namespace nvtest

// Ends the test when the links it needs are not there: skipped outside
// tools/test, failed inside it (where they must have been planted).
#define NEED_PLANTED(planted)                                                        \
    do {                                                                             \
        if (!(planted)) {                                                            \
            if (std::getenv("NV_LINKS_PLANTED")) FAIL() << "links were not planted"; \
            GTEST_SKIP() << "links are planted by tools/test";                       \
        }                                                                            \
    } while (0)
#define NEED_LINKS(lc) NEED_PLANTED((lc).planted())
