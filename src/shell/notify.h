// The popup that ends an unattended run.
#pragma once

#include <string>

namespace nv::notify {

// Queues the end-of-run popup (sound: application folder\Sounds\Message.wav).
void RunFinished(const std::wstring& key, const std::wstring& title, const std::wstring& description);

}  // namespace nv::notify
