#include "foundation/delete_at_restart.h"

#include <windows.h>

#include "foundation/erase_primitives.h"
#include "foundation/file_system.h"
#include "foundation/handles.h"

namespace nv::Normal {

void DeleteAtReboot(EraseContext& ctx, const std::wstring& path) {
    std::wstring canon = allerase::NormalizePath(path);
    if (canon.empty()) return;
    if (allerase::IsProtectedFolder(canon) || erasefs::IsLinkPath(canon)) {
        ctx.Refuse(canon, allerase::IsProtectedFolder(canon) ? Fate::Protected : Fate::Link);
        return;
    }
    if (GetFileAttributesW(canon.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (ctx.preview() && ctx.removed().FileGone(canon)) return;
    if (ctx.preview() || MoveFileExW(canon.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        ctx.Report(RemovalKind::AtReboot, canon);
}

Fate MarkHeldAtReboot(const std::wstring& path, bool folder) {
    if (!allerase::MalformedPath(path).empty()) return Fate::Malformed;
    const std::wstring canon = allerase::NormalizePath(path);
    if (canon.empty()) return Fate::Malformed;
    if (allerase::IsProtectedFolder(canon)) return Fate::Protected;
    erasefs::PathBuf p(canon);
    {
        ScopedFile h = erasefs::OpenForQuery(p.c_str());
        BY_HANDLE_FILE_INFORMATION info;
        if (!h || !GetFileInformationByHandle(h.get(), &info)) return Fate::Failed;
        if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Fate::Link;
        if (((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return Fate::Failed;
        if (!folder && info.nNumberOfLinks > 1) return Fate::KeptOtherNames;
    }
    if (!folder && erasefs::IsLinkPath(canon)) return Fate::Link;
    SetLastError(ERROR_SUCCESS);
    if (MoveFileExW(p.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return Fate::Removed;
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_PRIVILEGE_NOT_HELD) return Fate::AccessDenied;
    // Some systems fail without saying why: the marks are kept in this key.
    HKEY marks = nullptr;
    LONG open = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                              KEY_SET_VALUE, &marks);
    if (open == ERROR_SUCCESS) RegCloseKey(marks);
    return open == ERROR_ACCESS_DENIED ? Fate::AccessDenied : Fate::Failed;
}

}  // namespace nv::Normal
