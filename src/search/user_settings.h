// The per-user settings store of Search and Erase: string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// the store older versions of the program wrote, so their values carry over.
#pragma once

#include <string>

namespace nv::usersettings {

inline constexpr wchar_t kApplication[] = L"ZoroviDOZozired";

// The key below HKEY_CURRENT_USER that holds one section.
std::wstring SectionKey(const std::wstring& section);

// The stored text, or `fallback` when the value is missing or not a string.
std::wstring GetSetting(const std::wstring& section, const std::wstring& key, const std::wstring& fallback);

// Creates the section when needed; a failed write changes nothing.
void SaveSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);

}  // namespace nv::usersettings
