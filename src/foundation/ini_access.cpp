#include "foundation/ini_access.h"

#include <windows.h>

#include "foundation/text.h"

namespace nv::Inifun {

bool WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) {
    std::wstring v = value.substr(0, 128);
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), v.c_str(), file.c_str()) != FALSE;
}

std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    wchar_t buf[128] = {};
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf, 128, file.c_str());
    if (n > 127) n = 127;
    std::wstring v(buf, n);
    size_t nul = v.find(L'\0');
    if (nul != std::wstring::npos) v.resize(nul);
    return TrimBlanks(v);
}

SectionLines ReadIniSection(const std::wstring& section, const std::wstring& file, bool* cut) {
    // A buffer too small comes back filled to its size - 2 with the last
    // line cut: read again in a larger one, and never hand out a cut read.
    constexpr DWORD kLargest = 16u * 1024 * 1024;
    std::vector<wchar_t> buf;
    DWORD n = 0;
    for (DWORD size = 32767;; size *= 4) {
        buf.assign(size, L'\0');
        n = GetPrivateProfileSectionW(section.c_str(), buf.data(), size, file.c_str());
        if (n + 2 < size) break;
        if (size >= kLargest) {
            if (cut) *cut = true;
            return std::nullopt;
        }
    }
    if (cut) *cut = false;
    std::vector<std::wstring> lines;
    size_t i = 0;
    while (i < n) {
        std::wstring piece(&buf[i]);
        if (piece.empty()) break;
        i += piece.size() + 1;
        lines.push_back(std::move(piece));
    }
    if (lines.empty()) return std::nullopt;
    return lines;
}

}  // namespace nv::Inifun

namespace nv {
bool IsArraryEmpty(const Inifun::SectionLines& lines) { return !lines || lines->empty(); }
}  // namespace nv
