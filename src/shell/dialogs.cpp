#include "shell/dialogs.h"

namespace nv::dialogs {

// The Cleaning Settings, Options and Search and Erase windows are not built
// yet; their commands do nothing until they are.
void OpenCleaningSettings(HWND) {}
void OpenOptions(HWND) {}
void OpenSearchAndErase(HWND) {}

}  // namespace nv::dialogs
