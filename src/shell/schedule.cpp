#include "shell/schedule.h"

#include <oleauto.h>

#include "foundation/text.h"

namespace nv::schedule {

std::optional<int> TimeOfDay(const std::wstring& text) {
    if (TrimBlanks(text).empty()) return std::nullopt;
    DATE d = 0;
    if (FAILED(VarDateFromStr(const_cast<OLECHAR*>(text.c_str()), LOCALE_USER_DEFAULT, 0, &d))) return std::nullopt;
    // A text with a date in it is not a time of day.
    if (d < 0 || d >= 1) return std::nullopt;
    SYSTEMTIME st;
    if (!VariantTimeToSystemTime(d, &st)) return std::nullopt;
    return st.wHour * 60 + st.wMinute;
}

bool IsDue(const std::array<std::wstring, 7>& dayFlags, const std::wstring& scheduledTime, const SYSTEMTIME& now) {
    if (now.wDayOfWeek > 6) return false;
    auto flag = ParseNumber(dayFlags[now.wDayOfWeek]);
    if (!flag || *flag != 1) return false;
    auto at = TimeOfDay(scheduledTime);
    return at && *at == now.wHour * 60 + now.wMinute;
}

long long MinuteOf(const SYSTEMTIME& t) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&t, &ft)) return -1;
    ULARGE_INTEGER u{};
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return static_cast<long long>(u.QuadPart / 600000000ULL);
}

}  // namespace nv::schedule
