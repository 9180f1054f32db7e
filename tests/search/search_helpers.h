// Shared by the Search and Erase tests: a sink that records what a search
// found, sparse files, the settings key, and planted links (planted_links.h).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "planted_links.h"
#include "sandbox.h"
#include "search/find_files.h"
#include "search/user_settings.h"

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

using nvtest::LinkCase;

}  // namespace searchtest
