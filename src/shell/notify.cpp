#include "shell/notify.h"

namespace nv::notify {

// Wired to the notification popups when they land.
void RunFinished(const std::wstring&, const std::wstring&, const std::wstring&) {}

}  // namespace nv::notify
