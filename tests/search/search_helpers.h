// Shared by the Search and Erase tests: a sink that records what a search
// found, sparse files, the settings key, and planted links.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "sandbox.h"
#include "search/FindFiles.h"
#include "search/usersettings.h"

namespace searchtest {

struct Collect : nv::search::FindSink {
    std::vector<std::wstring> lines, paths;
    std::function<bool()> onPump;
    int pumps = 0;
    void Found(std::wstring line, size_t pathLength) override {
        paths.push_back(line.substr(0, pathLength));
        lines.push_back(std::move(line));
    }
    bool Pump(const std::wstring&) override {
        ++pumps;
        return onPump && onPump();
    }
    // The paths below `root`, sorted, without the root.
    std::vector<std::wstring> Relative(const std::wstring& root) const {
        std::vector<std::wstring> r;
        for (const auto& p : paths) r.push_back(p.substr(root.size() + 1));
        std::sort(r.begin(), r.end());
        return r;
    }
};

// A file of the given size whose bytes are not written (sparse on the host).
inline void SparseFile(const std::wstring& path, unsigned long long bytes) {
    nvtest::WriteFile(path, 0);
    nv::ScopedFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(bytes);
    ASSERT_TRUE(f && SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
}

// The settings store of Search and Erase, emptied before and after a test.
struct CleanSettings {
    CleanSettings() { Clear(); }
    ~CleanSettings() { Clear(); }
    static void Clear() {
        nvtest::DeleteTree(HKEY_CURRENT_USER,
                           std::wstring(L"Software\\VB and VBA Program Settings\\") + nv::usersettings::kApplication);
    }
};

// C:\nvlinks\<name> as tools/lib/plant-links.sh plants it: tree\ holds
// real.txt (10), sub\real.txt (20), file links keep.txt, flink.txt and
// config.ini, folder links dlink, elink and sub\cache into target\.
struct LinkCase {
    std::wstring root;
    explicit LinkCase(const std::wstring& name) : root(L"C:\\nvlinks\\" + name) {}
    std::wstring tree() const { return root + L"\\tree"; }
    bool planted() const {
        DWORD a = GetFileAttributesW((tree() + L"\\dlink").c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    void ExpectTargetsIntact() const {
        EXPECT_EQ(nvtest::ReadText(root + L"\\target\\keep.txt").size(), 1000u);
        EXPECT_EQ(nvtest::ReadText(root + L"\\target\\dir\\inner.txt").size(), 2000u);
        EXPECT_TRUE(nvtest::Exists(root + L"\\target\\dir\\cache\\c.txt"));
    }
};

#define NEED_LINKS(lc)                                                               \
    do {                                                                             \
        if (!(lc).planted()) {                                                       \
            if (std::getenv("NV_LINKS_PLANTED")) FAIL() << "links were not planted"; \
            GTEST_SKIP() << "no links planted (run through tools/test)";             \
        }                                                                            \
    } while (0)

}  // namespace searchtest
