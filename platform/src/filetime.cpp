// Conversions between file times, calendar fields and local time.
#include "platform/filetime.h"

#include <cstdint>
#include <ctime>

namespace {

constexpr std::int64_t kTicksPerSecond = velmora::kFileTimeTicksPerSecond;
constexpr std::int64_t kSecondsPerDay = 86'400;
using velmora::kUnixEpochSeconds;

std::uint64_t ticksOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool isLeap(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(unsigned y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

BOOL invalid() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// Seconds east of UTC in effect at a moment given in seconds since 1970 (UTC).
std::int64_t utcOffsetAt(std::int64_t unixSeconds) {
    const std::time_t moment = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    return localtime_r(&moment, &local) ? local.tm_gmtoff : 0;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool shiftTicks(const FILETIME* in, LPFILETIME out, std::int64_t offsetSeconds) {
    const std::int64_t ticks = static_cast<std::int64_t>(ticksOf(*in)) + offsetSeconds * kTicksPerSecond;
    if (ticks < 0) return invalid();
    *out = fileTimeOf(static_cast<std::uint64_t>(ticks));
    return TRUE;
}

}  // namespace

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime) return invalid();
    const std::uint64_t ticks = ticksOf(*lpFileTime);
    if (ticks > 0x7FFFFFFFFFFFFFFFULL) return invalid();
    const std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    const std::int64_t days = seconds / kSecondsPerDay;
    const std::int64_t secondOfDay = seconds % kSecondsPerDay;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days + daysFromCivil(1601, 1, 1), year, month, day);
    SYSTEMTIME& st = *lpSystemTime;
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1 January 1601 was a Monday
    st.wHour = static_cast<WORD>(secondOfDay / 3600);
    st.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    st.wSecond = static_cast<WORD>(secondOfDay % 60);
    st.wMilliseconds = static_cast<WORD>(ticks / 10'000 % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
    if (!lpSystemTime || !lpFileTime) return invalid();
    const SYSTEMTIME& st = *lpSystemTime;
    if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
        st.wDay > daysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
        st.wMilliseconds > 999)
        return invalid();
    const std::int64_t days = daysFromCivil(st.wYear, st.wMonth, st.wDay) - daysFromCivil(1601, 1, 1);
    const std::int64_t seconds = days * kSecondsPerDay + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
    *lpFileTime =
        fileTimeOf(static_cast<std::uint64_t>(seconds * kTicksPerSecond + st.wMilliseconds * 10'000));
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) return invalid();
    tzset();  // TZ may have changed since the last call
    const std::int64_t unixSeconds =
        floorDiv(static_cast<std::int64_t>(ticksOf(*lpFileTime) & 0x7FFFFFFFFFFFFFFFULL), kTicksPerSecond) -
        kUnixEpochSeconds;
    return shiftTicks(lpFileTime, lpLocalFileTime, utcOffsetAt(unixSeconds));
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
    if (!lpLocalFileTime || !lpFileTime) return invalid();
    tzset();
    // The offset of the UTC moment we are looking for is unknown; one correction step settles it, except
    // in a spring-forward gap, where the earlier offset is taken.
    const std::int64_t localSeconds =
        floorDiv(static_cast<std::int64_t>(ticksOf(*lpLocalFileTime) & 0x7FFFFFFFFFFFFFFFULL),
                 kTicksPerSecond) -
        kUnixEpochSeconds;
    std::int64_t offset = utcOffsetAt(localSeconds);
    const std::int64_t corrected = utcOffsetAt(localSeconds - offset);
    if (utcOffsetAt(localSeconds - corrected) == corrected) offset = corrected;
    return shiftTicks(lpLocalFileTime, lpFileTime, -offset);
}
