#include "settings/Inifun.h"

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

SectionLines ReadIniSection(const std::wstring& section, const std::wstring& file) {
    std::vector<wchar_t> buf(32767, L'\0');
    DWORD n = GetPrivateProfileSectionW(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
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
