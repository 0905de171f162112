// File-time arithmetic, local time and the times of files.
#include <cstdint>

#include "FileTestSupport.h"
#include "ScopedEnv.h"
#include "platform/filetime.h"

namespace {

std::uint64_t ticks(const FILETIME& t) {
    return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}
FILETIME fileTime(std::uint64_t value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

constexpr std::uint64_t kTicksPerHour = 36'000'000'000ULL;

TEST(FileTimeTest, CalendarFieldsConvertBothWays) {
    const struct {
        SYSTEMTIME fields;
        std::uint64_t ticks;
    } cases[] = {
        {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
        {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ULL},
        {{2024, 3, 2, 5, 14, 30, 15, 250}, 133541226152500000ULL},
        {{2000, 2, 2, 29, 23, 59, 59, 999}, 125963423999990000ULL},
    };
    for (const auto& c : cases) {
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.fields, &ft)) << c.ticks;
        EXPECT_EQ(ticks(ft), c.ticks);
        SYSTEMTIME back{};
        ft = fileTime(c.ticks + 9'999);  // below one millisecond: dropped
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, c.fields.wYear);
        EXPECT_EQ(back.wMonth, c.fields.wMonth);
        EXPECT_EQ(back.wDay, c.fields.wDay);
        EXPECT_EQ(back.wDayOfWeek, c.fields.wDayOfWeek);
        EXPECT_EQ(back.wHour, c.fields.wHour);
        EXPECT_EQ(back.wMinute, c.fields.wMinute);
        EXPECT_EQ(back.wSecond, c.fields.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.fields.wMilliseconds);
    }
}

TEST(FileTimeTest, ImpossibleDatesAreRefused) {
    const SYSTEMTIME cases[] = {
        {2023, 13, 0, 1, 0, 0, 0, 0},  {2023, 0, 0, 1, 0, 0, 0, 0},  {2023, 2, 0, 29, 0, 0, 0, 0},
        {2023, 4, 0, 31, 0, 0, 0, 0},  {2023, 1, 0, 0, 0, 0, 0, 0},  {2023, 1, 0, 1, 24, 0, 0, 0},
        {2023, 1, 0, 1, 0, 60, 0, 0},  {2023, 1, 0, 1, 0, 0, 60, 0}, {2023, 1, 0, 1, 0, 0, 0, 1000},
        {1600, 12, 0, 31, 0, 0, 0, 0}, {30828, 1, 0, 1, 0, 0, 0, 0}, {1900, 2, 0, 29, 0, 0, 0, 0},
    };
    for (const SYSTEMTIME& st : cases) {
        FILETIME ft{1, 1};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    const SYSTEMTIME leap{2024, 2, 0, 29, 0, 0, 0, 0};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&leap, &ft));
    const FILETIME tooLarge = fileTime(0x8000000000000000ULL);
    SYSTEMTIME st{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &st));
}

TEST(FileTimeTest, LocalTimeUsesTheRuleOfTheConvertedMoment) {
    ScopedEnv tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    SYSTEMTIME winter{2024, 1, 0, 15, 12, 0, 0, 0}, summer{2024, 7, 0, 15, 12, 0, 0, 0};
    for (const auto& [fields, offsetHours] : {std::pair{winter, 1}, std::pair{summer, 2}}) {
        FILETIME utc{}, local{}, back{};
        ASSERT_TRUE(SystemTimeToFileTime(&fields, &utc));
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        EXPECT_EQ(ticks(local) - ticks(utc), offsetHours * kTicksPerHour);
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(ticks(back), ticks(utc));
    }
    // The hour that repeats in autumn and the one skipped in spring still convert.
    SYSTEMTIME gap{2024, 3, 0, 31, 2, 30, 0, 0};
    FILETIME local{}, utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&gap, &local));
    EXPECT_TRUE(LocalFileTimeToFileTime(&local, &utc));
}

TEST(FileTimeTest, LocalTimeBeforeTheEpochOfFileTimesFails) {
    ScopedEnv tz("TZ", "EST5");
    const FILETIME zero{0, 0};
    FILETIME out{};
    EXPECT_FALSE(FileTimeToLocalFileTime(&zero, &out));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

using FileTimesTest = FileTest;

TEST_F(FileTimesTest, AllThreeTimesRoundTripThroughAFile) {
    write("f", "x");
    Handle h(
        CreateFileA(suite("f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME created = fileTime(125963423999990000ULL), accessed = fileTime(133541226152500000ULL),
                   written = fileTime(133541226152500001ULL);
    ASSERT_TRUE(SetFileTime(h.get(), &created, &accessed, &written));
    FILETIME c{}, a{}, w{};
    ASSERT_TRUE(GetFileTime(h.get(), &c, &a, &w));
    EXPECT_EQ(ticks(c), ticks(created));
    EXPECT_EQ(ticks(a), ticks(accessed));
    EXPECT_EQ(ticks(w), ticks(written));

    // NULL, zero and all-ones leave a time as it is.
    const FILETIME zero{0, 0}, ones{0xFFFFFFFF, 0xFFFFFFFF};
    ASSERT_TRUE(SetFileTime(h.get(), nullptr, &zero, &ones));
    ASSERT_TRUE(GetFileTime(h.get(), &c, &a, &w));
    EXPECT_EQ(ticks(c), ticks(created));
    EXPECT_EQ(ticks(a), ticks(accessed));
    EXPECT_EQ(ticks(w), ticks(written));
}

TEST_F(FileTimesTest, ANewFileWasCreatedNow) {
    FILETIME before{};
    SYSTEMTIME now{};
    const std::time_t t = std::time(nullptr) - 5;
    std::tm utc{};
    gmtime_r(&t, &utc);
    now = {static_cast<WORD>(utc.tm_year + 1900),
           static_cast<WORD>(utc.tm_mon + 1),
           0,
           static_cast<WORD>(utc.tm_mday),
           static_cast<WORD>(utc.tm_hour),
           static_cast<WORD>(utc.tm_min),
           static_cast<WORD>(utc.tm_sec),
           0};
    ASSERT_TRUE(SystemTimeToFileTime(&now, &before));
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    FILETIME c{}, w{};
    ASSERT_TRUE(GetFileTime(h.get(), &c, nullptr, &w));
    EXPECT_GT(ticks(c), ticks(before));
    EXPECT_LT(ticks(c), ticks(before) + 600 * 10'000'000ULL);
    EXPECT_LE(ticks(c), ticks(w) + 10'000'000ULL);
}

TEST_F(FileTimesTest, SettingTimesNeedsWriteAccess) {
    write("f", "x");
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME t = fileTime(133541226152500000ULL);
    EXPECT_FALSE(SetFileTime(h.get(), &t, &t, &t));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
