// Date arithmetic: DateSerial overflow, weekdays, negative serials, intervals, time_t and FILETIME.
#include "runtime/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "runtime/numbers.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

DateParts parts(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    return {y, m, d, h, n, s};
}

TEST(DateTime, DateSerialCarriesMonthsAndDays) {
    struct Case {
        int y, m, d;
        DateParts result;
    } cases[] = {{2024, 13, 1, parts(2025, 1, 1)},   {2024, 0, 1, parts(2023, 12, 1)},
                 {2024, -11, 1, parts(2023, 1, 1)},  {2024, 3, 0, parts(2024, 2, 29)},
                 {2023, 3, 0, parts(2023, 2, 28)},   {2024, 1, 32, parts(2024, 2, 1)},
                 {2024, 1, -30, parts(2023, 12, 1)}, {2024, 25, 1, parts(2026, 1, 1)},
                 {24, 1, 1, parts(2024, 1, 1)},      {99, 1, 1, parts(1999, 1, 1)},
                 {100, 1, 1, parts(100, 1, 1)},      {1899, 12, 30, parts(1899, 12, 30)}};
    for (const Case& c : cases)
        EXPECT_EQ(splitDate(DateSerial(c.y, c.m, c.d)), c.result) << c.y << "/" << c.m << "/" << c.d;
    EXPECT_EQ(DateSerial(1899, 12, 30).serial, 0.0);
    EXPECT_EQ(DateSerial(2024, 3, 5).serial, 45356.0);
    EXPECT_EQ(errorNumberOf([] { DateSerial(10000, 1, 1); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { DateSerial(100, 1, 0); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { DateSerial(2024, 2147483647, 1); }), err::InvalidProcedureCall);
}

TEST(DateTime, TimeSerialAndNegativeSerials) {
    EXPECT_EQ(splitDate(TimeSerial(14, 7, 9)), parts(1899, 12, 30, 14, 7, 9));
    EXPECT_EQ(splitDate(TimeSerial(25, 0, 0)), parts(1899, 12, 31, 1, 0, 0));
    EXPECT_EQ(splitDate(TimeSerial(12, -15, 0)), parts(1899, 12, 30, 11, 45, 0));
    EXPECT_EQ(splitDate(TimeSerial(0, 0, -1)), parts(1899, 12, 29, 23, 59, 59));
    // A negative serial's fraction is the time of its day, counted forwards.
    EXPECT_EQ(splitDate(Date{-1.25}), parts(1899, 12, 29, 6, 0, 0));
    EXPECT_EQ(splitDate(Date{-0.5}), parts(1899, 12, 30, 12, 0, 0));
    EXPECT_EQ(splitDate(Date{-2.0}), parts(1899, 12, 28));
    EXPECT_DOUBLE_EQ(makeDate(parts(1899, 12, 29, 6)).serial, -1.25);
    EXPECT_DOUBLE_EQ(TimeSerial(0, 0, -1).serial, -1 - 86399.0 / 86400);
    // Rounding to the second may carry into the next day.
    EXPECT_EQ(splitDate(Date{1.9999999}), parts(1900, 1, 1));
    EXPECT_EQ(splitDate(Date{-1.9999999}), parts(1899, 12, 30));
    EXPECT_EQ(errorNumberOf([] { splitDate(Date{3e6}); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { makeDate(parts(2023, 2, 29)); }), err::InvalidProcedureCall);
}

TEST(DateTime, Weekday) {
    Date tuesday = DateSerial(2024, 3, 5);
    EXPECT_EQ(Weekday(tuesday), 3);
    EXPECT_EQ(Weekday(tuesday, vbMonday), 2);
    EXPECT_EQ(Weekday(tuesday, vbTuesday), 1);
    EXPECT_EQ(Weekday(tuesday, vbUseSystemDayOfWeek), 3);
    EXPECT_EQ(Weekday(Date{0}), 7);      // 30 Dec 1899 was a Saturday
    EXPECT_EQ(Weekday(Date{-1.25}), 6);  // Friday
    EXPECT_EQ(Weekday(Date{-7.5}), 7);
    EXPECT_EQ(Weekday(DateSerial(100, 1, 1)), 6);  // Friday, 1 Jan 100 (proleptic Gregorian)
    EXPECT_EQ(errorNumberOf([&] { Weekday(tuesday, 8); }), err::InvalidProcedureCall);
}

TEST(DateTime, DateAddAndDateDiff) {
    Date d = makeDate(parts(2024, 1, 31, 23, 30, 0));
    struct AddCase {
        const char16_t* interval;
        double n;
        DateParts result;
    } adds[] = {{u"m", 1, parts(2024, 2, 29, 23, 30)},
                {u"M", 13, parts(2025, 2, 28, 23, 30)},
                {u"yyyy", -1, parts(2023, 1, 31, 23, 30)},
                {u"q", 1, parts(2024, 4, 30, 23, 30)},
                {u"d", 1, parts(2024, 2, 1, 23, 30)},
                {u"ww", -1, parts(2024, 1, 24, 23, 30)},
                {u"h", 1, parts(2024, 2, 1, 0, 30)},
                {u"n", -31, parts(2024, 1, 31, 22, 59)},
                {u"s", 1800, parts(2024, 2, 1)},
                {u"d", 1.9, parts(2024, 2, 1, 23, 30)},
                {u"d", -45323, parts(1899, 12, 29, 23, 30)}};
    for (const AddCase& c : adds)
        EXPECT_EQ(splitDate(DateAdd(c.interval, c.n, d)), c.result) << toUtf8(c.interval);
    EXPECT_EQ(errorNumberOf([&] { DateAdd(u"x", 1, d); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([&] { DateAdd(u"yyyy", 8000, d); }), err::InvalidProcedureCall);

    Date a = makeDate(parts(2023, 12, 31, 23, 59, 59));
    Date b = makeDate(parts(2024, 1, 1, 0, 0, 1));
    struct DiffCase {
        const char16_t* interval;
        std::int32_t count;
    } diffs[] = {{u"yyyy", 1}, {u"q", 1}, {u"m", 1}, {u"d", 1}, {u"y", 1},
                 {u"h", 1},    {u"n", 1}, {u"s", 2}, {u"w", 0}, {u"ww", 0}};
    for (const DiffCase& c : diffs) {
        EXPECT_EQ(DateDiff(c.interval, a, b), c.count) << toUtf8(c.interval);
        EXPECT_EQ(DateDiff(c.interval, b, a), -c.count) << toUtf8(c.interval);
    }
    // Tuesday to the next Monday: no Sunday crossed with Monday as the first day, one with Sunday.
    EXPECT_EQ(DateDiff(u"ww", DateSerial(2024, 3, 5), DateSerial(2024, 3, 11)), 1);
    EXPECT_EQ(DateDiff(u"ww", DateSerial(2024, 3, 5), DateSerial(2024, 3, 10), vbMonday), 0);
    EXPECT_EQ(DateDiff(u"w", DateSerial(2024, 3, 5), DateSerial(2024, 3, 19)), 2);
    EXPECT_EQ(DateDiff(u"d", Date{-1.25}, Date{0.75}), 1);
    EXPECT_EQ(errorNumberOf([] { DateDiff(u"s", DateSerial(100, 1, 1), DateSerial(9999, 1, 1)); }),
              err::Overflow);
}

// Runs a test body in a fixed time zone and restores the previous one.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* tz = std::getenv("TZ")) m_previous = tz, m_hadPrevious = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope() {
        if (m_hadPrevious)
            setenv("TZ", m_previous.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string m_previous;
    bool m_hadPrevious = false;
};

TEST(DateTime, TimeTAndFileTime) {
    TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(splitDate(dateFromTimeT(0, false)), parts(1970, 1, 1));
    EXPECT_EQ(splitDate(dateFromTimeT(0, true)), parts(1970, 1, 1, 1));
    EXPECT_EQ(splitDate(dateFromTimeT(1720000000, true)), parts(2024, 7, 3, 11, 46, 40));  // summer time
    EXPECT_EQ(timeTFromDate(makeDate(parts(2024, 7, 3, 11, 46, 40)), true), 1720000000);
    EXPECT_EQ(timeTFromDate(makeDate(parts(2024, 7, 3, 9, 46, 40)), false), 1720000000);
    EXPECT_EQ(splitDate(localToUtc(makeDate(parts(2024, 1, 15, 12)))), parts(2024, 1, 15, 11));
    EXPECT_EQ(splitDate(utcToLocal(makeDate(parts(2024, 7, 15, 12)))), parts(2024, 7, 15, 14));

    std::tm tm = tmFromDate(makeDate(parts(2024, 3, 5, 14, 7, 9)));
    EXPECT_EQ(tm.tm_year, 124);
    EXPECT_EQ(tm.tm_mon, 2);
    EXPECT_EQ(tm.tm_wday, 2);
    EXPECT_EQ(tm.tm_yday, 64);
    EXPECT_EQ(splitDate(dateFromTm(tm)), parts(2024, 3, 5, 14, 7, 9));

    // FILETIME of the Unix epoch and of 1 Jan 1601 itself.
    constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
    EXPECT_EQ(fileTimeFromDate(DateSerial(1970, 1, 1)), kUnixEpoch);
    EXPECT_EQ(splitDate(dateFromFileTime(kUnixEpoch + 10000000ULL * 3661)), parts(1970, 1, 1, 1, 1, 1));
    EXPECT_EQ(fileTimeFromDate(DateSerial(1601, 1, 1)), 0u);
    EXPECT_EQ(splitDate(dateFromFileTime(0)), parts(1601, 1, 1));
    Date noon = makeDate(parts(1899, 12, 29, 12));
    EXPECT_EQ(splitDate(dateFromFileTime(fileTimeFromDate(noon))), parts(1899, 12, 29, 12));
    EXPECT_EQ(errorNumberOf([] { fileTimeFromDate(DateSerial(1600, 12, 31)); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { dateFromFileTime(~0ULL); }), err::InvalidProcedureCall);
}

TEST(DateTime, NowHasWholeSeconds) {
    Date now = Now();
    double seconds = (now.serial - DateValue(now).serial) * 86400;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
    EXPECT_EQ(Today().serial, DateValue(now).serial);
    EXPECT_GE(Timer(), 0.0);
    EXPECT_LT(Timer(), 86400.0);
}

TEST(Numbers, Rounding) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(Round(2.345, 2), 2.35 /* 2.345 is slightly above the half in binary */);
    EXPECT_EQ(Round(0.125, 2), 0.12);
    EXPECT_EQ(Round(59.5), 60);
    EXPECT_EQ(errorNumberOf([] { Round(1, -1); }), err::InvalidProcedureCall);
    EXPECT_EQ(roundScaledHalfEven(25, 10), 2);
    EXPECT_EQ(roundScaledHalfEven(-35, 10), -4);
    EXPECT_EQ(roundScaledHalfEven(-26, 10), -3);
    EXPECT_EQ(Int(-2.5), -3);
    EXPECT_EQ(Fix(-2.5), -2);
}

}  // namespace
}  // namespace velmora
