// The actions of the newer plug-in sections, [regkey] and [filekey], for
// processshell (custom_items.cpp).
#pragma once

#include "engine/catalogue.h"
#include "foundation/path_variables.h"
#include "plugins/plugin_format.h"

namespace nv::engine {

// The run's own AppData and LocalAppData for %VAR% in plug-in paths.
pathvars::Folders RunFolders(const RunContext& ctx);

// Sets the guard of the run's erase context for one plug-in, and puts the
// old one back.
class GuardScope {
public:
    GuardScope(EraseContext& ctx, const EraseGuard* guard) : ctx_(ctx), old_(ctx.guard()) { ctx.set_guard(guard); }
    ~GuardScope() { ctx_.set_guard(old_); }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    EraseContext& ctx_;
    const EraseGuard* old_;
};

// A key tree (+5) or one value (+1); a protected key is refused, counted 0.
void RunRegKey(RunContext& ctx, const plugins::RegKey& key);

// Every folder the path names (wildcards in any segment, never through a
// link) and in each the files matching the patterns, in that folder, its
// tree, or its tree with the emptied folders and the folder itself.
void RunFileKey(RunContext& ctx, const plugins::FileKey& key, const pathvars::Folders& folders);

}  // namespace nv::engine
