// Small probes and helpers about the machine that several subsystems share.
#pragma once

#include <string>

namespace nv {

// An environment variable's value; "" when it is not set.
std::wstring EnvironmentText(const wchar_t* name);

// Replaces everything up to and including the first "%USERPROFILE%" (exact
// case) with the USERPROFILE environment value; a path without the token
// is returned unchanged. Pure text, no file access.
std::wstring processpath(const std::wstring& path);

// The first character of the installed Internet Explorer's version text
// (HKLM\SOFTWARE\Microsoft\Internet Explorer, value "Version"), trimmed.
std::wstring GetIEVersion();
// GetIEVersion as a number: its leading digit, 0 when there is none.
int IEMajorVersion();

// Starts the word processor's automation object to read its version and
// maps it to "Office97" ... "Office2010"; "" for other versions, "NoOffice"
// when the object cannot be created.
std::wstring GetOfficeVersion();
// The mapping alone: first hit of "8", "9", "10", "11", "12", "14".
std::wstring MapOfficeVersion(const std::wstring& versionText);

// Empties the shell's recent-documents list; true when the system reports
// no error afterwards.
bool ClearDocumentsMenu();

// A folder text from the registry (shell folders and the like): cut or
// padded to 255 characters, trimmed, expanded with processpath. A value
// that could not be read ("Error") or an empty one gives "" (unknown).
std::wstring FolderFromRegistryText(const std::wstring& text, bool expand = true);

// The folder held by a value of HKCU\...\Explorer\Shell Folders ("" = unknown).
std::wstring ShellFolder(const std::wstring& valueName);

}  // namespace nv
