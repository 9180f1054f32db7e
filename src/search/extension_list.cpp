#include "search/extension_list.h"

#include <shellapi.h>

#include "foundation/erase_primitives.h"
#include "foundation/app_path.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"
#include "foundation/list_file.h"
#include "search/deletion.h"

namespace nv::ExtentionHandller {

std::wstring ExtFile() { return AppFile(kFileName); }

bool IsValidExtension(const std::wstring& text) { return text.size() > 2 && text[0] == L'*' && text[1] == L'.'; }

std::vector<std::wstring> ReadExtensions() {
    std::vector<std::wstring> valid;
    if (auto lines = listfile::Read(ExtFile()))
        for (auto& line : *lines)
            if (IsValidExtension(line)) valid.push_back(std::move(line));
    return valid;
}

std::optional<std::wstring> GetExtensionFilter() {
    std::wstring filter;
    for (const auto& e : ReadExtensions()) filter += e + L";";
    if (filter.empty()) return std::nullopt;
    filter.pop_back();
    return filter;
}

bool WriteDefaultExtensions() { return listfile::Write(ExtFile(), {L"*.tmp", L"*.gid", L"*.swp", L"*.chk"}); }

bool AppendExtension(const std::wstring& pattern) { return listfile::Append(ExtFile(), pattern); }

bool RemoveExtension(const std::wstring& line) {
    auto lines = listfile::Read(ExtFile());
    if (!lines) return false;
    std::erase(*lines, line);
    return listfile::Write(ExtFile(), *lines);
}

Recycled SendToRecycleBin(const std::wstring& path, HWND owner, search::RecycleProbe* probe) {
    search::RecycleProbe fresh;
    if (!(probe ? probe : &fresh)->CanRecycle(path)) return Recycled::CannotRecycle;
    // The shell moves a link's target under Wine; links are left alone.
    if (erasefs::IsLinkPath(allerase::NormalizePath(path))) return Recycled::Refused;
    {
        // A file in use cannot be moved; finding out here keeps the shell
        // from asking whether to delete it for good instead.
        ScopedFile probe(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!probe) return Recycled::Failed;
    }
    std::wstring from = path;
    from.push_back(L'\0');  // the list ends with two NULs
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    // Silent, no confirmation, to the bin; and should the bin refuse the
    // file after all, the system asks instead of deleting it for good.
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
    if (SHFileOperationW(&op) != 0 || op.fAnyOperationsAborted) return Recycled::Failed;
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? Recycled::Yes : Recycled::Failed;
}

}  // namespace nv::ExtentionHandller
