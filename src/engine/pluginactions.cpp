#include "engine/pluginactions.h"

#include "foundation/allerase.h"
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
    const allerase::Reach reach = key.scope == plugins::Scope::Folder    ? allerase::Reach::Folder
                                  : key.scope == plugins::Scope::Recurse ? allerase::Reach::Tree
                                                                         : allerase::Reach::TreeAndFolders;
    for (const pathvars::Expanded& e : pathvars::Expand(key.path, folders).paths) {
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
