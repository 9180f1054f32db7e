// Marking a file for deletion at the next system start.
#pragma once

#include <string>

#include "foundation/erase_context.h"

namespace nv::Normal {

// Asks the system to delete the file when it next starts (MoveFileEx with
// MOVEFILE_DELAY_UNTIL_REBOOT). Nothing is reported to the caller; without
// the rights for it nothing happens. Unknown paths, protected folders and
// links are left alone, and a missing file is not marked.
void DeleteAtReboot(EraseContext& ctx, const std::wstring& path);

}  // namespace nv::Normal
