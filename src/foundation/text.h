// Small text helpers shared by every subsystem. Text is UTF-16 inside.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// Equal in any letter case, character by character (names of files,
// processes and sections; no locale rules).
bool SameText(std::wstring_view a, std::wstring_view b);

// Removes blanks (the space character only) at both ends, as the profile,
// registry and path code expects; tabs and other white space stay.
std::wstring TrimBlanks(std::wstring_view s);

// Lower-cases with the system's case mapping.
std::wstring ToLower(std::wstring_view s);

// The shortest plain decimal text of a double: 3500000 gives "3500000",
// 0.5 gives "0.5"; never an exponent.
std::wstring NumberText(double v);

// A number with two decimals, rounded ("0.00" pattern): 1.005 MB etc.
std::wstring FixedTwo(double v);

// Bytes shown as megabytes with two decimals: 1048576 gives "1.00".
std::wstring MegabytesText(double bytes);

// The platform's text-to-number conversion (surrounding blanks, sign and
// decimal point accepted); nothing for empty text or text that is no number.
std::optional<double> ParseNumber(std::wstring_view s);

// The number at the start of a text, as plug-in files write numbers: blanks,
// tabs and line feeds anywhere are ignored; a decimal number (sign, digits,
// decimal part, exponent with E or D), "&H" + hexadecimal or "&O" + octal
// digits (up to 32 bits, read as a signed 32-bit value, so &H80000001 is
// -2147483647). Reading stops at the first character that does not fit; no
// number gives 0. More than 32 bits of hexadecimal or octal give a value
// outside the 32-bit range.
double LeadingNumber(std::wstring_view s);

// A date and time (days since 30 Dec 1899, local time) in the platform's
// general form, "3/5/2024 2:07:09 PM"; "" when it cannot be converted.
std::wstring DateTimeText(double oleDate);

std::string ToUtf8(std::wstring_view s);
std::wstring FromUtf8(std::string_view s);
std::string ToAnsi(std::wstring_view s, bool* lossless = nullptr);
std::wstring FromAnsi(std::string_view s);

// Splits at every occurrence of sep (empty pieces kept).
std::vector<std::wstring> Split(std::wstring_view s, wchar_t sep);

bool StartsWith(std::wstring_view s, std::wstring_view prefix);
bool EndsWith(std::wstring_view s, std::wstring_view suffix);

}  // namespace nv
