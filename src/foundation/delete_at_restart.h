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

// Marks a file, or a folder (`folder`), that a clean left because another
// program holds it, for deletion at the next start. Fate::Removed when it
// is marked; otherwise why not: Malformed, Protected (the path rule), Link,
// KeptOtherNames (a file with other hard links: the mark would delete one
// name and keep the content), AccessDenied (the user lacks the rights to
// mark), Failed (gone, changed kind, or any other refusal).
Fate MarkHeldAtReboot(const std::wstring& path, bool folder);

}  // namespace nv::Normal
