// The about box.
#pragma once

#include <windows.h>

namespace nv::frmabout {

constexpr int IDD = 200;
constexpr int IDC_LICENSE = 201;
constexpr int IDC_VERSION = 202;  // "Version x.y.z" from the version resource

// Modal, as Help > About shows it.
void ShowModal(HWND owner);
// Modeless, for tests that drive it with messages.
HWND Create(HWND owner);

}  // namespace nv::frmabout
