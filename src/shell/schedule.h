// The weekly schedule: which local minutes start a run.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace nv::schedule {

// The time of day a text reads as with the platform's date conversion, in
// minutes after midnight (seconds dropped); nothing for text that is no
// time of day (empty, "abc", "25:00", a date).
std::optional<int> TimeOfDay(const std::wstring& text);

// True when the weekday's flag (Sunday first) reads as the number 1 and the
// scheduled time has the hour and minute of now.
bool IsDue(const std::array<std::wstring, 7>& dayFlags, const std::wstring& scheduledTime, const SYSTEMTIME& now);

// One number per calendar minute of a local time.
long long MinuteOf(const SYSTEMTIME& t);

}  // namespace nv::schedule
