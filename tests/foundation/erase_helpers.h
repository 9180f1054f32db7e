// Helpers for the erase primitive tests: fixtures, a file held open, and a
// snapshot of a tree to prove that a preview changed nothing.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "sandbox.h"

namespace erasetest {

inline void SetAttrs(const std::wstring& path, DWORD attrs) { SetFileAttributesW(path.c_str(), attrs); }

// Holds a file open without delete sharing, as a running browser does.
class Held {
public:
    explicit Held(const std::wstring& path)
        : h_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    bool ok() const { return static_cast<bool>(h_); }

private:
    nv::ScopedFile h_;
};

// "relative path|size|attributes" for every entry below root, sorted; links
// are listed but not entered.
inline void SnapshotInto(const std::wstring& root, const std::wstring& rel, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW fd;
    nv::ScopedFind f(FindFirstFileW((root + rel + L"\\*").c_str(), &fd));
    if (!f) return;
    do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        out.push_back(rel + L"\\" + n + L"|" + std::to_wstring(fd.nFileSizeLow) + L"|" +
                      std::to_wstring(fd.dwFileAttributes));
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            SnapshotInto(root, rel + L"\\" + n, out);
    } while (FindNextFileW(f.get(), &fd));
}

inline std::vector<std::wstring> Snapshot(const std::wstring& root) {
    std::vector<std::wstring> out;
    if (nvtest::Exists(root)) out.push_back(L"<exists>");
    SnapshotInto(root, L"", out);
    std::sort(out.begin(), out.end());
    return out;
}

// A tree with something for every primitive: names in two cases, extensions
// in two cases, hidden read-only and plain read-only files, "cache" folders
// at several depths and cases.
//   a.txt 100, b.tmp 300, c.TMP 400, noext 50,
//   hid.txt 60 (hidden + read-only), ro.txt 70 (read-only, only when withReadOnly)
//   sub\a.txt 1000, sub\deep\A.TXT 200, sub\d.tmp 2000, sub\Cache\x.bin 3000, sub\Cache\y.bin 4000
//   sub\deep\more\a.txt 10, sub\deep\more\CACHE\z.tmp 20
//   cache\w.bin 500
inline void BuildTree(const std::wstring& root, bool withReadOnly) {
    using nvtest::WriteFile;
    WriteFile(root + L"\\a.txt", 100);
    WriteFile(root + L"\\b.tmp", 300);
    WriteFile(root + L"\\c.TMP", 400);
    WriteFile(root + L"\\noext", 50);
    WriteFile(root + L"\\hid.txt", 60);
    SetAttrs(root + L"\\hid.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    if (withReadOnly) {
        WriteFile(root + L"\\ro.txt", 70);
        SetAttrs(root + L"\\ro.txt", FILE_ATTRIBUTE_READONLY);
    }
    WriteFile(root + L"\\sub\\a.txt", 1000);
    WriteFile(root + L"\\sub\\deep\\A.TXT", 200);  // not beside an a.txt: Windows names ignore case
    WriteFile(root + L"\\sub\\d.tmp", 2000);
    WriteFile(root + L"\\sub\\Cache\\x.bin", 3000);
    WriteFile(root + L"\\sub\\Cache\\y.bin", 4000);
    WriteFile(root + L"\\sub\\deep\\more\\a.txt", 10);
    WriteFile(root + L"\\sub\\deep\\more\\CACHE\\z.tmp", 20);
    WriteFile(root + L"\\cache\\w.bin", 500);
}

// Sum of the sizes written by BuildTree (without ro.txt).
inline double TreeBytes() { return 100 + 200 + 300 + 400 + 50 + 60 + 1000 + 2000 + 3000 + 4000 + 10 + 20 + 500; }

}  // namespace erasetest
