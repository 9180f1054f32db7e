#include "foundation/erase_except.h"

#include <optional>
#include <vector>

#include "foundation/allerase.h"
#include "foundation/erasefs.h"

namespace nv::allerase {
namespace {

// The folder in canonical form when it may be worked on; nothing when it is
// unknown, missing or refused (the refusal is reported).
std::optional<std::wstring> ExistingFolder(EraseContext& ctx, const std::wstring& folder) {
    std::wstring canon = NormalizePath(folder);
    if (canon.empty()) return std::nullopt;
    erasefs::PathBuf path(canon);
    DWORD attr = GetFileAttributesW(path.c_str());
    const bool link = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_REPARSE_POINT);
    bool refused = IsProtectedFolder(canon) || link;
    if (!refused && attr != INVALID_FILE_ATTRIBUTES) {
        // Reached through a junction higher up: judged by where it really is.
        if (ScopedFile h = erasefs::OpenForQuery(path.c_str())) {
            wchar_t real[MAX_PATH * 4];
            DWORD n = GetFinalPathNameByHandleW(h.get(), real, MAX_PATH * 4, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            refused = n > 0 && n < MAX_PATH * 4 && IsProtectedFolder(std::wstring_view(real, n));
        }
    }
    if (refused) {
        ctx.Refuse(canon, link && !IsProtectedFolder(canon) ? Fate::Link : Fate::Protected);
        return std::nullopt;
    }
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    if (ctx.preview() && ctx.removed().FolderGone(canon)) return std::nullopt;
    return canon;
}

}  // namespace

double DeleteFilesInFolderExcept(EraseContext& ctx, const std::wstring& folder,
                                 const std::function<bool(const wchar_t* name)>& keep) {
    auto canon = ExistingFolder(ctx, folder);
    if (!canon) return 0;
    const bool preview = ctx.preview();
    erasefs::PathBuf dir(*canon);
    erasefs::Folder links(dir);
    double bytes = 0;
    std::vector<std::wstring> removed;  // preview: what a clean would delete
    auto shown = [&](const wchar_t* name) {
        size_t mark = dir.Push(name);
        std::wstring s = dir.Shown();
        dir.Pop(mark);
        return s;
    };
    erasefs::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
        if (ctx.cancelled()) return false;
        ctx.MaybePump();
        if (erasefs::IsDir(fd) || keep(fd.cFileName)) return true;
        if (preview && ctx.removed().FileGone(shown(fd.cFileName))) return true;
        auto result = erasefs::EraseFile(links, dir, fd, erasefs::Delete::Unhide, ctx,
                                         [&](const erasefs::PathBuf& p, double size) {
                                             bytes += size;
                                             ctx.Report(RemovalKind::File, p.Shown(), size);
                                         });
        if (result == erasefs::FileResult::Refused) ctx.Refuse(shown(fd.cFileName), Fate::Link);
        if (preview && result == erasefs::FileResult::Removed) removed.emplace_back(fd.cFileName);
        return true;
    });
    for (const auto& name : removed) ctx.removed().RemoveFile(shown(name.c_str()));
    return bytes;
}

}  // namespace nv::allerase
