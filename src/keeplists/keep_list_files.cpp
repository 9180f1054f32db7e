#include "keeplists/keep_list_files.h"

#include <windows.h>

#include "foundation/app_path.h"
#include "foundation/list_file.h"

namespace nv::keeplists {

std::wstring KeepUrlFile() { return AppFile(L"keepurl.dat"); }
std::wstring KeepCookieFile() { return AppFile(L"keepcook.dat"); }

namespace {
std::vector<std::wstring> TrimmedTrailingBlanks(std::vector<std::wstring> lines) {
    for (auto& l : lines) l.erase(l.find_last_not_of(L' ') + 1);
    return lines;
}

std::vector<std::wstring> WithoutTrailingBlanks(const std::wstring& file) {
    return TrimmedTrailingBlanks(listfile::Read(file).value_or(std::vector<std::wstring>{}));
}

std::optional<std::vector<std::wstring>> ForRun(const std::wstring& file) {
    const DWORD attr = GetFileAttributesW(file.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::vector<std::wstring>{};
        return std::nullopt;
    }
    if (attr & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return listfile::Read(file);
}
}  // namespace

std::optional<std::vector<std::wstring>> UrlKeepListForRun() {
    auto lines = ForRun(KeepUrlFile());
    if (!lines) return std::nullopt;
    return TrimmedTrailingBlanks(std::move(*lines));
}

std::optional<std::vector<std::wstring>> CookieKeepListForRun() { return ForRun(KeepCookieFile()); }

std::vector<std::wstring> ReadUrlKeepList() { return WithoutTrailingBlanks(KeepUrlFile()); }

std::vector<std::wstring> ShownCookieKeepList() { return WithoutTrailingBlanks(KeepCookieFile()); }

}  // namespace nv::keeplists
