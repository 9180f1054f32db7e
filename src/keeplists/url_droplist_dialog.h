// "URL Drop-List Options": the typed addresses of the browser's address bar
// beside the URL keep list (keepurl.dat), with Add and Remove.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv::frmurl {

void ShowModal(HWND owner);
// Without a message loop of its own (tests); closed with DestroyWindow.
HWND Create(HWND owner);

// The data of the TypedURLs values in enumeration order; the listing ends
// at the first value whose name or data is too long for the lists' buffers.
std::vector<std::wstring> CurrentUrls();

}  // namespace nv::frmurl
