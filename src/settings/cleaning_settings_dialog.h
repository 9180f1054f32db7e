// The Cleaning Settings dialog: one check box per item of the selection
// profile on seven tab pages (the Browsers page with a page per browser),
// the custom items and the plug-in list. Load reads prisd.dat, cusd.dat and
// the plug-in files; OK writes all three; Cancel writes nothing.
#pragma once

#include <windows.h>

namespace nv::frmsettings {

// Shows the dialog modally. While it is open, another call brings it to
// the front instead of opening a second one.
void ShowModal(HWND owner);

// The same dialog without its own message loop (tests drive it through its
// controls); OK, Cancel or DestroyWindow end it.
HWND Create(HWND owner);

// The open dialog, nullptr when none.
HWND Instance();

// A control of the open dialog by id (ids::frmsettings), on any page.
HWND Control(int id);

}  // namespace nv::frmsettings
