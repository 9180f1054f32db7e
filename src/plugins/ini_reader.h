// Plug-in files read in one pass. The platform's profile functions open and
// check the file again at every call, which makes a list of a thousand
// plug-ins take seconds; this reader loads a file once and answers as those
// functions would: sections and keys in any letter case, the first section
// and the first key of a name, blanks around names and values dropped, a
// value's enclosing quotes dropped, lines starting with ";" skipped in
// section listings. Files are ANSI, or UTF-8 or UTF-16 with a byte-order
// mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv::inifile {

struct Entry {
    std::wstring name;
    std::optional<std::wstring> value;  // nothing for a line without "="
};

struct Section {
    std::wstring name;
    std::vector<Entry> entries;
};

class IniFile {
public:
    // Nothing when the file cannot be read.
    static std::optional<IniFile> Load(const std::wstring& path);
    static IniFile Parse(std::wstring_view text);

    // The first section of that name; nullptr when there is none.
    const Section* Find(std::wstring_view section) const;
    // The value as the profile functions read it ("" when missing).
    std::wstring Value(std::wstring_view section, std::wstring_view key) const;
    // The section's lines as "name=value" (or "name"), comments and empty
    // names left out; empty when the section is missing.
    std::vector<std::wstring> Lines(std::wstring_view section) const;

    std::vector<Section> sections;
    // The first line (from 1) holding a NUL character; 0 when none does.
    size_t nulLine = 0;
};

// The text of a file's bytes: UTF-16 (either byte order) or UTF-8 with a
// byte-order mark; otherwise the ANSI code page.
std::wstring DecodeProfileText(std::string_view bytes);

// True when both names are equal in any letter case.
bool SameName(std::wstring_view a, std::wstring_view b);

}  // namespace nv::inifile
