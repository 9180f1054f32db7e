#include "foundation/delete_at_restart.h"

#include <windows.h>

#include "foundation/erase_primitives.h"
#include "foundation/file_system.h"

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

}  // namespace nv::Normal
