// The large toolbar buttons of the main window: an icon above a caption,
// a single-line border while the mouse is over them. The window text is the
// caption, so screen readers and automation read it like any button.
#pragma once

#include <windows.h>

namespace nv::ImageButton {

enum class Theme { Dark, Light };

// Registers the class once and creates a button; clicks arrive at the parent
// as WM_COMMAND (id, BN_CLICKED).
HWND Create(HWND parent, int id, const wchar_t* caption, HICON icon, int x, int y, int w, int h,
            Theme theme = Theme::Dark);

void SetBorder(HWND button, bool on);
bool HasBorder(HWND button);

// Sent to the parent when the mouse moves over a button: wParam = its id.
constexpr UINT kHoverMessage = WM_APP + 40;

}  // namespace nv::ImageButton
