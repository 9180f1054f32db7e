// INI access through the platform's private-profile functions. Used for the
// selection profile prisd.dat and for the plug-in files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nv::Inifun {

// Writes key = value (value cut to its first 128 characters), creating the
// file, section or key as needed. False when the file could not be written;
// callers that follow the "writers fail silently" rule ignore it.
bool WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value);

// At most 127 characters of the value, blanks trimmed at both ends; "" for a
// missing file, section or key.
std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key);

// The key=value lines of a section in file order, read whole however long
// the section is. A list that was never filled (missing file or section, an
// empty section, or one too long to read whole: then `cut` says so) is
// nullopt; test it with IsArraryEmpty before walking it.
using SectionLines = std::optional<std::vector<std::wstring>>;
SectionLines ReadIniSection(const std::wstring& section, const std::wstring& file, bool* cut = nullptr);

}  // namespace nv::Inifun

namespace nv {
// True when the list was never filled or holds no element.
bool IsArraryEmpty(const Inifun::SectionLines& lines);
}  // namespace nv
