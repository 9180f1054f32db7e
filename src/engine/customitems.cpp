#include "engine/customitems.h"

namespace nv::engine {

// Custom items and plug-ins arrive with their own files and dialog; until
// then these groups hold nothing to clean.
void RunCustomItems(RunContext&) {}
void RunPlugins(RunContext&) {}

}  // namespace nv::engine
