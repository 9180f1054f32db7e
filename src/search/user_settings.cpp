#include "search/user_settings.h"

#include <windows.h>

#include <vector>

#include "foundation/handles.h"

namespace nv::usersettings {

std::wstring SectionKey(const std::wstring& section) {
    return std::wstring(L"Software\\VB and VBA Program Settings\\") + kApplication + L"\\" + section;
}

std::wstring GetSetting(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) {
    ScopedKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(k.get(), key.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(k.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes) !=
        ERROR_SUCCESS)
        return fallback;
    return std::wstring(buf.data());  // up to the first NUL
}

void SaveSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    ScopedKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        k.put(), nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(k.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace nv::usersettings
