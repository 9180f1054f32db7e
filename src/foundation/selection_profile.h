// The selection profile prisd.dat: its item keys and options as data, the
// two flag tests and the weekday mask. The Cleaning Settings dialog, the
// cleaning run and the Options dialog all derive from these tables.
#pragma once

#include <array>
#include <span>
#include <string>

namespace nv::profile {

// One item key: section, key as the settings dialog writes it, the check
// box that sets it ("Check" + number), its caption and the frame (group) of
// the dialog that holds the box.
struct ItemKey {
    const wchar_t* section;
    const wchar_t* key;
    int checkBox;
    const wchar_t* caption;
    const wchar_t* group;
};

// All 138 item keys, section by section in the order a fresh profile is
// written, each section's keys in order.
std::span<const ItemKey> ItemKeys();

// The 16 item sections in write order.
std::span<const wchar_t* const> ItemSections();

// Section Options and its keys.
inline constexpr wchar_t kOptions[] = L"Options";
namespace opt {
inline constexpr wchar_t bosskey[] = L"bosskey";
inline constexpr wchar_t startup[] = L"startup";
inline constexpr wchar_t autoclean[] = L"autoclean";
inline constexpr wchar_t exit[] = L"exit";
inline constexpr wchar_t securely[] = L"securely";
inline constexpr wchar_t atreboot[] = L"atreboot";  // delete files in use at the next restart
inline constexpr wchar_t WindowsStartup[] = L"WindowsStartup";
inline constexpr wchar_t WindowsShutdown[] = L"WindowsShutdown";
inline constexpr wchar_t CleanDays[] = L"CleanDays";
inline constexpr wchar_t CleanTime[] = L"CleanTime";
inline constexpr wchar_t lastclean[] = L"lastclean";
inline constexpr wchar_t regnum[] = L"regnum";
inline constexpr wchar_t filesize[] = L"filesize";
}  // namespace opt

// Section of the applications cleaned when they close: key = the
// application's name, "1" = ticked; absent = off.
inline constexpr wchar_t kWhenClosed[] = L"WhenClosed";

// application folder + "\prisd.dat", built anew at every call.
std::wstring ProfilePath();

std::wstring Read(const std::wstring& section, const std::wstring& key);
// False when the profile could not be written.
bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value);

// The warning of a dialog whose OK could not store everything: the files
// that refused, one a line.
std::wstring UnsavedText(std::span<const std::wstring> files);

// Text test: on exactly when the (trimmed) value is "1".
bool IsTextFlagOn(const std::wstring& value);
// Numeric flag test: on when the value reads as the number 1 ("1", "01", "1.0").
bool IsNumericFlagOn(const std::wstring& value);

bool TextFlag(const std::wstring& section, const std::wstring& key);
bool NumericFlag(const std::wstring& section, const std::wstring& key);

// A check box state as stored: "1" when checked, "0" otherwise.
inline const wchar_t* CheckValue(bool checked) { return checked ? L"1" : L"0"; }

// Weekday flags Sunday first. Empty text is taken as "0000000"; characters 1
// to 6 are Sunday to Friday ("" beyond the text's end), Saturday is the
// text's last character.
std::array<std::wstring, 7> ReadDayMask(const std::wstring& text);
std::wstring JoinDayMask(const std::array<bool, 7>& days);

}  // namespace nv::profile
