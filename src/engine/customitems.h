// The last two groups of a run: the user's custom items and the checked
// plug-ins.
#pragma once

#include "engine/catalogue.h"

namespace nv::engine {

void RunCustomItems(RunContext& ctx);
void RunPlugins(RunContext& ctx);

}  // namespace nv::engine
