// Date arithmetic through whole seconds counted from 30 Dec 1899 00:00, the one linear time scale that
// hides the platform's encoding of negative serials.
#include "runtime/datetime.h"

#include <sys/time.h>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "runtime/Error.h"
#include "runtime/ascii.h"

namespace velmora {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kFirstDay = -657434;  // 1 Jan 100
constexpr std::int64_t kLastDay = 2958465;   // 31 Dec 9999

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Days since 1 Jan 1970 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    std::int64_t era = floorDiv(y, 400);
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    std::int64_t era = floorDiv(z, 146097);
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const std::int64_t kEpochDays = daysFromCivil(1899, 12, 30);

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

// Seconds from 30 Dec 1899 00:00 on one linear scale; error 5 outside the date range.
std::int64_t toSeconds(Date date) {
    double s = date.serial;
    if (!(s > static_cast<double>(kFirstDay - 1) && s < static_cast<double>(kLastDay + 1)))
        raise(err::InvalidProcedureCall);
    double day = std::trunc(s);
    auto secs = static_cast<std::int64_t>(std::llround(std::fabs(s - day) * kDay));
    return static_cast<std::int64_t>(day) * kDay + secs;
}

Date fromSeconds(std::int64_t total) {
    std::int64_t day = floorDiv(total, kDay);
    if (day < kFirstDay || day > kLastDay) raise(err::InvalidProcedureCall);
    double time = static_cast<double>(total - day * kDay) / kDay;
    return Date{day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time};
}

std::int64_t dayIndex(std::int64_t y, int m, int d) {
    return daysFromCivil(y, m, d) - kEpochDays;
}

int weekdayOfDay(std::int64_t day, int firstDayOfWeek) {
    if (firstDayOfWeek < 0 || firstDayOfWeek > 7) raise(err::InvalidProcedureCall);
    if (firstDayOfWeek == vbUseSystemDayOfWeek) firstDayOfWeek = vbSunday;
    // Day 0 (30 Dec 1899) was a Saturday.
    return static_cast<int>(floorMod(day + 6 - (firstDayOfWeek - 1), 7)) + 1;
}

std::int32_t toLongChecked(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) raise(err::Overflow);
    return static_cast<std::int32_t>(value);
}

std::u16string ascii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out += static_cast<char16_t>(*text);
    return out;
}

}  // namespace

// ---- parts ------------------------------------------------------------------------------------

DateParts splitDate(Date date) {
    std::int64_t total = toSeconds(date);
    std::int64_t day = floorDiv(total, kDay);
    std::int64_t secs = total - day * kDay;
    DateParts p;
    civilFromDays(day + kEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

std::ostream& operator<<(std::ostream& out, const DateParts& p) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return out << buffer;
}

Date makeDate(const DateParts& p) {
    if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > daysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
        p.second < 0 || p.second > 59)
        raise(err::InvalidProcedureCall);
    return fromSeconds(dayIndex(p.year, p.month, p.day) * kDay + p.hour * 3600 + p.minute * 60 + p.second);
}

Date DateSerial(int year, int month, int day) {
    std::int64_t y = year;
    if (y >= 0 && y <= 29)
        y += 2000;
    else if (y >= 30 && y <= 99)
        y += 1900;
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    y += floorDiv(m0, 12);
    if (y < 0 || y > 20000) raise(err::InvalidProcedureCall);
    int m = static_cast<int>(floorMod(m0, 12)) + 1;
    return fromSeconds((dayIndex(y, m, 1) + day - 1) * kDay);
}

Date TimeSerial(int hour, int minute, int second) {
    return fromSeconds(static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 +
                       second);
}

int Year(Date date) {
    return splitDate(date).year;
}
int Month(Date date) {
    return splitDate(date).month;
}
int Day(Date date) {
    return splitDate(date).day;
}
int Hour(Date date) {
    return splitDate(date).hour;
}
int Minute(Date date) {
    return splitDate(date).minute;
}
int Second(Date date) {
    return splitDate(date).second;
}

int Weekday(Date date, int firstDayOfWeek) {
    return weekdayOfDay(floorDiv(toSeconds(date), kDay), firstDayOfWeek);
}

Date DateValue(Date date) {
    return fromSeconds(floorDiv(toSeconds(date), kDay) * kDay);
}
Date TimeValue(Date date) {
    return fromSeconds(floorMod(toSeconds(date), kDay));
}

// ---- clock ------------------------------------------------------------------------------------

Date Now() {
    return dateFromTimeT(std::time(nullptr), true);
}

Date Today() {
    return DateValue(Now());
}

double Timer() {
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_usec / 1e6;
}

// ---- arithmetic -------------------------------------------------------------------------------

Date DateAdd(std::u16string_view interval, double number, Date date) {
    std::u16string name = lowerAscii(interval);
    if (!std::isfinite(number) || std::fabs(number) > 1e12) raise(err::InvalidProcedureCall);
    auto n = static_cast<std::int64_t>(std::trunc(number));
    std::int64_t total = toSeconds(date);
    std::int64_t months = 0;
    if (name == u"yyyy")
        months = n * 12;
    else if (name == u"q")
        months = n * 3;
    else if (name == u"m")
        months = n;
    else if (name == u"d" || name == u"y" || name == u"w")
        return fromSeconds(total + n * kDay);
    else if (name == u"ww")
        return fromSeconds(total + n * 7 * kDay);
    else if (name == u"h")
        return fromSeconds(total + n * 3600);
    else if (name == u"n")
        return fromSeconds(total + n * 60);
    else if (name == u"s")
        return fromSeconds(total + n);
    else
        raise(err::InvalidProcedureCall);

    DateParts p = splitDate(date);
    std::int64_t index = static_cast<std::int64_t>(p.year) * 12 + (p.month - 1) + months;
    std::int64_t y = floorDiv(index, 12);
    if (y < 100 || y > 9999) raise(err::InvalidProcedureCall);
    p.year = static_cast<int>(y);
    p.month = static_cast<int>(floorMod(index, 12)) + 1;
    p.day = std::min(p.day, daysInMonth(p.year, p.month));
    return makeDate(p);
}

std::int32_t DateDiff(std::u16string_view interval, Date first, Date second, int firstDayOfWeek) {
    std::u16string name = lowerAscii(interval);
    std::int64_t a = toSeconds(first), b = toSeconds(second);
    std::int64_t dayA = floorDiv(a, kDay), dayB = floorDiv(b, kDay);
    if (name == u"yyyy" || name == u"q" || name == u"m") {
        DateParts p = splitDate(first), q = splitDate(second);
        std::int64_t years = q.year - p.year;
        if (name == u"yyyy") return toLongChecked(years);
        if (name == u"q") return toLongChecked(years * 4 + (q.month - 1) / 3 - (p.month - 1) / 3);
        return toLongChecked(years * 12 + q.month - p.month);
    }
    if (name == u"d" || name == u"y") return toLongChecked(dayB - dayA);
    if (name == u"w") return toLongChecked((dayB - dayA) / 7);
    if (name == u"ww") {
        std::int64_t startA = dayA - (weekdayOfDay(dayA, firstDayOfWeek) - 1);
        std::int64_t startB = dayB - (weekdayOfDay(dayB, firstDayOfWeek) - 1);
        return toLongChecked((startB - startA) / 7);
    }
    if (name == u"h") return toLongChecked(floorDiv(b, 3600) - floorDiv(a, 3600));
    if (name == u"n") return toLongChecked(floorDiv(b, 60) - floorDiv(a, 60));
    if (name == u"s") return toLongChecked(b - a);
    raise(err::InvalidProcedureCall);
}

// ---- text -------------------------------------------------------------------------------------

std::u16string generalDate(Date date) {
    std::int64_t total = toSeconds(date);
    std::int64_t day = floorDiv(total, kDay);
    std::int64_t secs = total - day * kDay;
    DateParts p = splitDate(date);
    char buffer[64];
    std::string text;
    if (day != 0) {
        std::snprintf(buffer, sizeof buffer, "%d/%d/%04d", p.month, p.day, p.year);
        text = buffer;
    }
    if (secs != 0 || day == 0) {
        int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        std::snprintf(buffer, sizeof buffer, "%s%d:%02d:%02d %s", text.empty() ? "" : " ", h12, p.minute,
                      p.second, p.hour < 12 ? "AM" : "PM");
        text += buffer;
    }
    return ascii(text.c_str());
}

// ---- struct tm, time_t, FILETIME --------------------------------------------------------------

Date dateFromTm(const std::tm& tm) {
    Date day = DateSerial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return fromSeconds(toSeconds(day) + tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
}

std::tm tmFromDate(Date date) {
    DateParts p = splitDate(date);
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    std::int64_t day = dayIndex(p.year, p.month, p.day);
    tm.tm_wday = weekdayOfDay(day, vbSunday) - 1;
    tm.tm_yday = static_cast<int>(day - dayIndex(p.year, 1, 1));
    tm.tm_isdst = -1;
    return tm;
}

Date dateFromTimeT(std::time_t time, bool local) {
    std::tm tm{};
    if (!(local ? localtime_r(&time, &tm) : gmtime_r(&time, &tm))) raise(err::InvalidProcedureCall);
    return dateFromTm(tm);
}

std::time_t timeTFromDate(Date date, bool local) {
    std::tm tm = tmFromDate(date);
    return local ? std::mktime(&tm) : timegm(&tm);
}

namespace {
constexpr std::int64_t kMsPerDay = kDay * 1000;
const std::int64_t kFileTimeEpochDays = dayIndex(1601, 1, 1);  // negative: days before 30 Dec 1899
}  // namespace

Date dateFromFileTime(std::uint64_t fileTime) {
    auto ms = static_cast<std::int64_t>(fileTime / 10000) + kFileTimeEpochDays * kMsPerDay;
    std::int64_t day = floorDiv(ms, kMsPerDay);
    if (day > kLastDay) raise(err::InvalidProcedureCall);
    double time = static_cast<double>(ms - day * kMsPerDay) / kMsPerDay;
    return Date{day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time};
}

std::uint64_t fileTimeFromDate(Date date) {
    double s = date.serial;
    if (!(s > static_cast<double>(kFirstDay - 1) && s < static_cast<double>(kLastDay + 1)))
        raise(err::InvalidProcedureCall);
    double day = std::trunc(s);
    std::int64_t ms = static_cast<std::int64_t>(day) * kMsPerDay +
                      static_cast<std::int64_t>(std::llround(std::fabs(s - day) * kMsPerDay));
    ms -= kFileTimeEpochDays * kMsPerDay;
    if (ms < 0) raise(err::InvalidProcedureCall);
    return static_cast<std::uint64_t>(ms) * 10000;
}

Date localToUtc(Date local) {
    return dateFromTimeT(timeTFromDate(local, true), false);
}
Date utcToLocal(Date utc) {
    return dateFromTimeT(timeTFromDate(utc, false), true);
}

}  // namespace velmora
