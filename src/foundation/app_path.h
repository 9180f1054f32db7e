// The application folder: the folder of the executable. Every file of the
// program's own is application folder + "\" + name, built anew each time.
#pragma once

#include <string>

namespace nv {

inline constexpr wchar_t kAppTitle[] = L"Norvale System Cleaner";

std::wstring AppFolder();
std::wstring AppFile(const std::wstring& name);  // AppFolder() + L"\\" + name

// Tests point the application folder at a scratch folder; empty restores
// the executable's folder.
void SetAppFolderForTests(const std::wstring& folder);

// The Windows directory (255-character buffer, trimmed), "" on failure.
std::wstring WindowsFolder();

}  // namespace nv
