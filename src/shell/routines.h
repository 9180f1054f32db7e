// Small routines of the main window used across the program: opening
// targets with the shell, starting help, the licence and the companion
// programs.
#pragma once

#include <string>

namespace nv {

inline constexpr wchar_t kWebsite[] = L"http://www.norvale.example/";
inline constexpr wchar_t kWebsiteText[] = L"www.norvale.example";
// The companion programs of the Tool menu.
inline constexpr wchar_t kShredderExe[] = L"NorvaleShredder.exe";
inline constexpr wchar_t kRegistryCleanerExe[] = L"NorvaleRegClean.exe";

void ShellOpen(const std::wstring& target);
void ShowHelp();
void ShowLicenseAgreement();
// Starts a program of the application folder in a normal window. When it
// is not there, a box says so: "<name> is a separate program that is not
// installed."
void StartCompanion(const wchar_t* exeName, const wchar_t* name);

}  // namespace nv
