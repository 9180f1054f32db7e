#include "search/deletion.h"

#include <windows.h>
#include <shellapi.h>

#include <cwctype>

#include "foundation/erase_primitives.h"
#include "foundation/file_system.h"

namespace nv::search {
namespace {

// "C:\dir\name" or "\\server\share\dir\name": absolute, without "." or ".."
// components or empty ones. Our paths are built from listed names, so
// anything else did not come from a search and is not touched.
bool IsPlainAbsolute(const std::wstring& path) {
    if (allerase::IsUnknownFolder(path) || path.find(L'/') != std::wstring::npos) return false;
    size_t start = path.starts_with(L"\\\\") ? 2 : 3;
    for (size_t b = start; b <= path.size();) {
        size_t e = path.find(L'\\', b);
        if (e == std::wstring::npos) e = path.size();
        std::wstring_view part(path.data() + b, e - b);
        if (part.empty() || part == L"." || part == L"..") return false;
        b = e + 1;
    }
    return true;
}

}  // namespace

Erased DeleteForGood(const std::wstring& path) {
    if (!IsPlainAbsolute(path)) return Erased::Refused;
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash);
    // A file in a drive root: the folder itself is "C:\", the pushed path
    // must not double the separator.
    const bool driveRoot = folder.size() == 2 && folder[1] == L':';
    erasefs::PathBuf dir(driveRoot ? folder + L"\\" : folder);
    erasefs::PathBuf push(folder);
    size_t mark = push.Push(path.c_str() + slash + 1);
    WIN32_FIND_DATAW fd;
    ScopedFind find(FindFirstFileExW(push.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    push.Pop(mark);
    if (!find) return Erased::Failed;
    if (erasefs::IsDir(fd)) return Erased::Refused;
    erasefs::Folder owner(dir);
    EraseContext clean;
    switch (erasefs::EraseFile(owner, push, fd, erasefs::Delete::Plain, clean, [](auto&, double) {})) {
    case erasefs::FileResult::Removed: return Erased::Removed;
    case erasefs::FileResult::Refused: return Erased::Refused;
    default: return Erased::Failed;
    }
}

bool RecycleProbe::CanRecycle(const std::wstring& path) {
    if (path.size() >= MAX_PATH || path.size() < 4 || path[1] != L':' || path[2] != L'\\') return false;
    if (!IsPlainAbsolute(path) || path.find_first_of(L"*?\"<>|") != std::wstring::npos) return false;
    for (size_t e = path.find(L'\\', 3);; e = path.find(L'\\', e + 1)) {
        wchar_t last = path[(e == std::wstring::npos ? path.size() : e) - 1];
        if (last == L'.' || last == L' ') return false;
        if (e == std::wstring::npos) break;
    }
    const wchar_t drive = static_cast<wchar_t>(towupper(path[0]));
    auto known = drives_.find(drive);
    if (known != drives_.end()) return known->second;
    const wchar_t root[] = {drive, L':', L'\\', 0};
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    const bool bin = GetDriveTypeW(root) == DRIVE_FIXED && SUCCEEDED(SHQueryRecycleBinW(root, &info));
    drives_[drive] = bin;
    return bin;
}

}  // namespace nv::search
