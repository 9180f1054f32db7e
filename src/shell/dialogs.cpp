#include "shell/dialogs.h"

#include "settings/frmsettings.h"

namespace nv::dialogs {

void OpenCleaningSettings(HWND owner) { frmsettings::ShowModal(owner); }

// The Options and Search and Erase windows are not built yet; their
// commands do nothing until they are.
void OpenOptions(HWND) {}
void OpenSearchAndErase(HWND) {}

}  // namespace nv::dialogs
