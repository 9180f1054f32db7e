#include "engine/plugin_actions.h"

#include "foundation/erase_primitives.h"
#include "foundation/wildcard.h"

namespace nv::engine {

pathvars::Folders RunFolders(const RunContext& ctx) {
    return pathvars::Remembering({ctx.env.appData, ctx.env.localAppData});
}

void RunRegKey(RunContext& ctx, const plugins::RegKey& key) {
    // The primitives refuse protected keys (and then count nothing).
    ctx.AddKeys(key.value ? allerase::DeleteRegValue(ctx.erase, key.root, key.subKey, *key.value)
                          : allerase::DeleteRegTree(ctx.erase, key.root, key.subKey));
}

void RunFileKey(RunContext& ctx, const plugins::FileKey& key, const pathvars::Folders& folders) {
    wildcard::MatchOptions options;
    options.foldersOnly = true;
    options.refuseLinks = true;
    options.onLink = [&](const std::wstring& link) { ctx.erase.Refuse(link, Fate::Link); };
    options.guardProtected = true;
    options.onProtected = [&](const std::wstring& path) { ctx.erase.Refuse(path, Fate::Protected); };
    const allerase::Reach reach = plugins::ReachOf(key.scope);
    for (const pathvars::Expanded& e : pathvars::Expand(key.path, folders).paths) {
        // The path rule on the line as the variables made it; each folder a
        // wildcard matches is judged again below, each concrete one by the
        // primitive.
        if (allerase::LineRefusal(e.path, key.patterns, reach)) {
            const bool bad = !allerase::MalformedPath(e.path).empty();
            ctx.erase.Refuse(allerase::ShownPath(e.path), bad ? Fate::Malformed : Fate::Protected);
            continue;
        }
        // The folders first, then their files: deleting never disturbs the listing.
        std::vector<std::wstring> matched;
        const std::wstring_view path = e.path;
        wildcard::ForEachMatch(path.substr(0, e.fromVariables), path.substr(e.fromVariables), options,
                               [&](const std::wstring& folder, DWORD) {
                                   matched.push_back(folder);
                                   return true;
                               });
        for (const std::wstring& folder : matched) {
            if (ctx.erase.cancelled()) return;
            // In a preview, a folder an earlier line would have removed is gone.
            if (ctx.erase.preview() && ctx.erase.removed().FolderGone(folder)) continue;
            ctx.AddBytes(allerase::DeleteMatchingFiles(ctx.erase, folder, key.patterns, reach));
        }
    }
}

}  // namespace nv::engine
