// The start-with-Windows entry: a value of the Run key that starts the
// program with the argument "min".
#pragma once

#include <windows.h>

#include <string>

namespace nv::autostart {

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kValueName[] = L"Norvale System Cleaner";

// A double quote + application folder + "\cleaner.exe" + a double quote + " min".
std::wstring Command();

enum class Where { Machine, User, Nowhere };

// Writes the entry under the machine's Run key. An ordinary user may not
// write there, and a ticked box that starts nothing would be a failure
// reported as success, so a refused write goes to the current user's Run key
// instead. Only one of the two keeps the entry, so the program never starts
// twice. Nowhere when neither key took it. The roots are HKEY_LOCAL_MACHINE
// and HKEY_CURRENT_USER; tests pass keys that refuse.
Where Enable(HKEY machineRoot = HKEY_LOCAL_MACHINE, HKEY userRoot = HKEY_CURRENT_USER);
// Removes the entry from both keys.
void Disable(HKEY machineRoot = HKEY_LOCAL_MACHINE, HKEY userRoot = HKEY_CURRENT_USER);

}  // namespace nv::autostart
