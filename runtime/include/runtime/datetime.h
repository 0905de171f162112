// Date functions on the platform's Date: a day count from 30 Dec 1899 with the time as the fraction.
// A negative serial counts days backwards while its fraction is still the time of that day counted
// forwards: -1.25 is 29 Dec 1899 06:00. Dates run from 1 Jan 100 to 31 Dec 9999; times have whole seconds.
#pragma once

#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace velmora {

// First day of the week for Weekday and DateDiff("ww").
enum VbDayOfWeek : int {
    vbUseSystemDayOfWeek = 0,  // Sunday here: the locale is not consulted
    vbSunday = 1,
    vbMonday = 2,
    vbTuesday = 3,
    vbWednesday = 4,
    vbThursday = 5,
    vbFriday = 6,
    vbSaturday = 7,
};

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateParts&, const DateParts&) = default;
};
// "yyyy-mm-dd hh:nn:ss", for diagnostics and test output.
std::ostream& operator<<(std::ostream& out, const DateParts& parts);

// The calendar parts of a date, rounded to the nearest second; error 5 outside the date range.
DateParts splitDate(Date date);
// A date from valid calendar parts (no overflow of months or days): error 5 otherwise.
Date makeDate(const DateParts& parts);

// DateSerial: months and days outside their range carry into the year and month (13/1/2024 is
// 1 Jan 2025, day 0 is the last day of the previous month); years 0..29 mean 2000s, 30..99 the 1900s.
Date DateSerial(int year, int month, int day);
// TimeSerial: the time of day of h:n:s; values outside their range carry (TimeSerial(25, 0, 0) is
// 31 Dec 1899 01:00), negative totals count back from 30 Dec 1899.
Date TimeSerial(int hour, int minute, int second);

int Year(Date date);
int Month(Date date);
int Day(Date date);
int Hour(Date date);
int Minute(Date date);
int Second(Date date);
// 1 for the first day of the week (vbSunday by default) to 7; error 5 for a first day outside 0..7.
int Weekday(Date date, int firstDayOfWeek = vbSunday);
// The date part only / the time part only (on 30 Dec 1899).
Date DateValue(Date date);
Date TimeValue(Date date);

// The current local date and time, with whole seconds.
Date Now();
// Today's local date at midnight (the platform's Date function).
Date Today();
// Seconds since local midnight, with fractions (the platform's Timer).
double Timer();

// Interval names: "yyyy" year, "q" quarter, "m" month, "y"/"d"/"w" day, "ww" week, "h" hour,
// "n" minute, "s" second (case-insensitive). Error 5 for another name or a result outside the range.
// Adding months keeps the day, or takes the month's last day when it is shorter (31 Jan + 1 m = 29 Feb).
Date DateAdd(std::u16string_view interval, double number, Date date);
// The number of interval boundaries crossed from first to second (negative when second is earlier):
// "d" counts midnights, "h" hour changes, "yyyy" year changes, "ww" first days of the week,
// "w" whole weeks. Error 6 when the count does not fit a Long.
std::int32_t DateDiff(std::u16string_view interval, Date first, Date second, int firstDayOfWeek = vbSunday);

// The general date text CStr gives, in the fixed en-US form "m/d/yyyy h:nn:ss AM": the date alone when
// the time is midnight, the time alone on 30 Dec 1899.
std::u16string generalDate(Date date);
// Reads a date and/or time: "yyyy-mm-dd", "m/d/yyyy", "m/d/yy", "m/d" (this year), "d Mmm yyyy",
// "Mmm d, yyyy", each optionally followed by "h:mm[:ss]" with AM/PM, or a time alone.
// Separators '/', '-' and '.' are alike; a first number above 12 with a second one up to 12 is taken as
// d/m (as the platform does). False when the text is not a date.
bool tryParseDate(std::u16string_view text, Date& date);
// IsDate: a Date, or text that tryParseDate accepts.
bool IsDate(const Variant& value);

// struct tm <-> Date (fields as in mktime: years from 1900, months from 0), no time zone involved.
Date dateFromTm(const std::tm& tm);
std::tm tmFromDate(Date date);
// time_t <-> Date as local time or UTC. Error 5 where the other side cannot represent the value.
Date dateFromTimeT(std::time_t time, bool local = true);
std::time_t timeTFromDate(Date date, bool local = true);
// Win32 FILETIME (100-ns ticks since 1 Jan 1601) <-> Date, as plain arithmetic: the zone of the result is
// the zone of the input (convert with the local <-> UTC helpers as the platform's callers do).
// Dates before 1601 give error 5; ticks below one millisecond are dropped.
Date dateFromFileTime(std::uint64_t fileTime);
std::uint64_t fileTimeFromDate(Date date);
// Local time <-> UTC of the same instant (through the C library's zone rules).
Date localToUtc(Date local);
Date utcToLocal(Date utc);

}  // namespace velmora
