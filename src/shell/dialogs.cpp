#include "shell/dialogs.h"

#include "search/frmLocate.h"
#include "shell/frmabout.h"

namespace nv::dialogs {

// The Cleaning Settings and Options windows are not built yet; their
// commands do nothing until they are.
void OpenCleaningSettings(HWND) {}
void OpenOptions(HWND) {}

void OpenSearchAndErase(HWND owner) {
    search::frmLocate::ShowModal(owner, {.showAbout = [](HWND o) { frmabout::ShowModal(o); }});
}

}  // namespace nv::dialogs
