#include "settings/autostart.h"

#include "foundation/app_path.h"
#include "foundation/handles.h"

namespace nv::autostart {
namespace {

bool WriteEntry(HKEY root, const std::wstring& command) {
    ScopedKey key;
    if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool HoldsEntry(HKEY root, const std::wstring& command) {
    wchar_t buf[1024];
    DWORD size = sizeof buf;
    if (RegGetValueW(root, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return false;
    return command == buf;
}

void RemoveEntry(HKEY root) {
    ScopedKey key;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), kValueName);
}

}  // namespace

std::wstring Command() { return L"\"" + AppFile(L"cleaner.exe") + L"\" min"; }

Where Enable(HKEY machineRoot, HKEY userRoot) {
    std::wstring command = Command();
    if (WriteEntry(machineRoot, command) || HoldsEntry(machineRoot, command)) {
        RemoveEntry(userRoot);
        return Where::Machine;
    }
    return WriteEntry(userRoot, command) || HoldsEntry(userRoot, command) ? Where::User : Where::Nowhere;
}

void Disable(HKEY machineRoot, HKEY userRoot) {
    RemoveEntry(machineRoot);
    RemoveEntry(userRoot);
}

}  // namespace nv::autostart
