#include "settings/custom_items_file.h"

#include <windows.h>
#include <oleauto.h>

#include <cmath>

#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/handles.h"
#include "foundation/list_file.h"
#include "foundation/text.h"

namespace nv::cusd {
namespace {

std::optional<WIN32_FIND_DATAW> Find(const std::wstring& path) {
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW(path.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find) return std::nullopt;
    return fd;
}

std::wstring ModifiedText(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    double date = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
        !SystemTimeToVariantTime(&st, &date))
        return L"";
    return DateTimeText(date);
}

}  // namespace

std::wstring CustomFile() { return AppFile(L"cusd.dat"); }

std::optional<std::vector<Entry>> Read() {
    auto lines = listfile::Read(CustomFile());
    if (!lines) return std::nullopt;
    std::vector<Entry> entries;
    for (const auto& line : *lines) {
        size_t tab = line.find(L'\t');
        if (tab == std::wstring::npos) {
            entries.push_back({line, L""});
        } else {
            size_t end = line.find(L'\t', tab + 1);
            entries.push_back({line.substr(0, tab), line.substr(tab + 1, end == std::wstring::npos ? end : end - tab - 1)});
        }
    }
    return entries;
}

bool Write(const std::vector<Entry>& entries) {
    std::vector<std::wstring> lines;
    lines.reserve(entries.size());
    for (const auto& e : entries) lines.push_back(e.path + L"\t" + e.kind);
    return listfile::Write(CustomFile(), lines);
}

bool FoundByLookup(const std::wstring& path) {
    auto fd = Find(path);
    return fd && !(fd->dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

Details FileDetails(const std::wstring& path) {
    auto fd = Find(path);
    if (!fd || (fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    double size = static_cast<double>((static_cast<ULONGLONG>(fd->nFileSizeHigh) << 32) | fd->nFileSizeLow);
    return {size, ModifiedText(fd->ftLastWriteTime)};
}

Details FolderDetails(const std::wstring& path) {
    auto fd = Find(path);
    if (!fd || !(fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return {allerase::FolderSize(path), ModifiedText(fd->ftLastWriteTime)};
}

std::wstring MegabytesCell(double bytes, bool padded) {
    // Hundredths of a megabyte, rounded half away from zero as a format pattern does.
    long long cents = std::llround(bytes / 1048576.0 * 100.0);
    if (cents < 0) cents = 0;
    std::wstring whole = std::to_wstring(cents / 100);
    wchar_t frac[3] = {static_cast<wchar_t>(L'0' + cents % 100 / 10), static_cast<wchar_t>(L'0' + cents % 10), 0};
    if (padded) return (whole.size() < 2 ? L"0" + whole : whole) + L"." + frac + L"MB";
    std::wstring decimals = frac;
    while (!decimals.empty() && decimals.back() == L'0') decimals.pop_back();
    return (whole == L"0" ? L"" : whole) + L"." + decimals + L"MB";
}

}  // namespace nv::cusd
