// One popup request: what the popup shows, the sound it plays and the key
// given back when its description is clicked.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "foundation/handles.h"

namespace nv {

// Requests and the popup share one copy of the caller's icon, so the caller
// may destroy its own at once and a queued request never holds a dead handle.
using SharedIcon = std::shared_ptr<const ScopedIcon>;

inline SharedIcon CopySharedIcon(HICON icon) {
    if (!icon) return nullptr;
    HICON copy = CopyIcon(icon);
    if (!copy) return nullptr;
    return std::make_shared<const ScopedIcon>(copy);
}

struct cNotificationRequest {
    std::wstring Key;
    SharedIcon Icon;  // none: the popup keeps the image it has
    std::wstring Title;
    std::wstring Description;
    bool EnableClickEvent = false;
    std::wstring SoundFileLocation;  // empty: silent
};

}  // namespace nv
