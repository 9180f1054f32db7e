// Registry access by textual key path ("HKEY_CURRENT_USER\Software\...").
// Readers return a failure text, writers fail silently; the only failure a
// user sees is the "Incorrect Format:" box for a malformed path.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace nv::regfun {

// The predefined root for one of the seven root names (exact, upper case);
// nullptr for any other text.
HKEY GetRootKey(const std::wstring& rootName);

// Splits a key path. On a malformed path (not beginning with "HKEY_", or
// ending with "\") shows "Incorrect Format:" + LF LF + path and returns
// false; an unknown root name gives false without a message. On success
// root is set and path becomes the sub-key ("" for the root itself).
bool ParseKeyPath(std::wstring& path, HKEY& root);

// A string value; "Error" when the key or value cannot be read or the data
// is longer than 254 characters; "" for a malformed or unknown path. The
// result keeps a trailing blank of the data but loses a leading one.
std::wstring GetRegValue(const std::wstring& keyPath, const std::wstring& valueName);

// A string value read whole, however long (the buffer grows to fit); its
// data up to the first NUL. Nothing when the key or value cannot be read or
// the value is no string.
std::optional<std::wstring> ReadString(const std::wstring& keyPath, const std::wstring& valueName);

// A value given root and sub-key separately: the data up to its first NUL,
// "error" on failure. type receives the value's actual type.
std::wstring QueryRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD& type);

// Creates the key and any missing keys above it.
void CreateRegKey(const std::wstring& keyPath);

// Writes a string value into an existing key; a missing key stays missing.
void SetRegValue(const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& value);

// The text up to its first NUL character.
std::wstring StripNull(const std::wstring& s);

}  // namespace nv::regfun
