#include "foundation/app_path.h"

#include <windows.h>

#include "foundation/text.h"

namespace nv {
namespace {
std::wstring& Override() {
    static std::wstring folder;
    return folder;
}
}  // namespace

std::wstring AppFolder() {
    if (!Override().empty()) return Override();
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring AppFile(const std::wstring& name) { return AppFolder() + L"\\" + name; }

void SetAppFolderForTests(const std::wstring& folder) { Override() = folder; }

std::wstring WindowsFolder() {
    wchar_t buf[256] = {};
    UINT n = GetWindowsDirectoryW(buf, 255);
    if (n == 0 || n > 255) return {};
    return TrimBlanks(std::wstring(buf, n));
}

}  // namespace nv
