// Small routines of the main window used across the program: opening
// targets with the shell, starting help, the licence and the companion
// programs.
#pragma once

#include <string>

namespace nv {

inline constexpr wchar_t kWebsite[] = L"http://www.norvale.example/";
inline constexpr wchar_t kWebsiteText[] = L"www.norvale.example";
// The companion programs of the Tool menu; a missing one is ignored.
inline constexpr wchar_t kShredderExe[] = L"NorvaleShredder.exe";
inline constexpr wchar_t kRegistryCleanerExe[] = L"NorvaleRegClean.exe";

void ShellOpen(const std::wstring& target);
void ShowHelp();
void ShowLicenseAgreement();
// Starts a program of the application folder in a normal window; a missing
// one is silently ignored.
void StartCompanion(const wchar_t* exeName);

}  // namespace nv
