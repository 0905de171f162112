// File-time arithmetic, local time and the times of files.
#include <sys/xattr.h>

#include <cstdint>
#include <vector>

#include "FileTestSupport.h"
#include "ScopedEnv.h"
#include "platform/attributes.h"
#include "platform/filetime.h"
#include "platform/find.h"

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

std::vector<unsigned char> littleEndian(std::uint64_t value, int bytes) {
    std::vector<unsigned char> out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return out;
}

std::uint64_t creationOf(const std::string& path) {
    Handle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME c{};
    if (!GetFileTime(h.get(), &c, nullptr, nullptr)) return 0;
    return ticks(c);
}

std::uint64_t listedCreationOf(const std::string& path) {
    WIN32_FIND_DATAA data{};
    const HANDLE search = FindFirstFileA(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    return ticks(data.ftCreationTime);
}

TEST_F(FileTimesTest, ACreationTimeStoredInTheOlderFormIsReadAndMovesIntoDosAttrib) {
    write("f", "x");
    const std::uint64_t older = 125963423999990000ULL;
    const auto value = littleEndian(older, 8);
    ASSERT_EQ(setxattr(native("f").c_str(), "user.velmora.btime", value.data(), value.size(), 0), 0);
    ASSERT_EQ(setxattr(native("f").c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
    EXPECT_EQ(creationOf(suite("f")), older);
    EXPECT_EQ(listedCreationOf(suite("f")), older);
    EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_HIDDEN);

    // Writing a creation time stores the binary record (empty text, version 5, creation marked valid)
    // with the attributes kept, and the older attribute goes.
    const std::uint64_t newer = 133541226152500000ULL;
    {
        Handle h(CreateFileA(suite("f").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        const FILETIME t = fileTime(newer);
        ASSERT_TRUE(SetFileTime(h.get(), &t, nullptr, nullptr));
    }
    unsigned char stored[64];
    const ssize_t size = getxattr(native("f").c_str(), "user.DOSATTRIB", stored, sizeof stored);
    std::vector<unsigned char> expected = {0, 0, 5, 0, 5, 0, 0, 0, 0x11, 0, 0, 0, 0x02, 0, 0, 0};
    const auto time = littleEndian(newer, 8);
    expected.insert(expected.end(), time.begin(), time.end());
    EXPECT_EQ(std::vector<unsigned char>(stored, stored + (size > 0 ? size : 0)), expected);
    EXPECT_LT(getxattr(native("f").c_str(), "user.velmora.btime", stored, sizeof stored), 0);
    EXPECT_EQ(creationOf(suite("f")), newer);
    EXPECT_EQ(listedCreationOf(suite("f")), newer);

    // Changing the attributes keeps the creation time.
    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(creationOf(suite("f")), newer);
}

TEST_F(FileTimesTest, CreationTimesAreReadFromEveryVersionOfTheBinaryRecord) {
    const std::uint64_t when = 130000000000000000ULL;
    const auto t = littleEndian(when, 8);
    const auto zeros = [](int n) { return std::vector<unsigned char>(n, 0); };
    const auto join = [](std::initializer_list<std::vector<unsigned char>> parts) {
        std::vector<unsigned char> out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const struct {
        const char* label;
        std::vector<unsigned char> value;
        bool hasCreation;
    } cases[] = {
        {"v5 behind an empty text", join({{0, 0, 5, 0, 5, 0, 0, 0, 0x11, 0, 0, 0, 0x20, 0, 0, 0}, t}), true},
        {"v5, creation not marked", join({{0, 0, 5, 0, 5, 0, 0, 0, 0x01, 0, 0, 0, 0x20, 0, 0, 0}, t}), false},
        {"v4 with its itime", join({{0, 0, 4, 0, 4, 0, 0, 0, 0x11, 0, 0, 0, 0x20, 0, 0, 0}, zeros(8), t}),
         true},
        {"v3 behind the text 0x20",
         join({{'0', 'x', '2', '0', 0, 0, 3, 0, 3, 0, 0, 0, 0x11, 0, 0, 0, 0x20, 0, 0, 0},
               zeros(20),
               t,
               zeros(8)}),
         true},
        {"v1", join({{0, 0, 1, 0, 1, 0, 0, 0, 0x20, 0, 0, 0}, zeros(20), t, zeros(8)}), true},
        {"v5 cut short", {0, 0, 5, 0, 5, 0, 0, 0, 0x11, 0, 0, 0, 0x20, 0, 0, 0, 1, 2}, false},
    };
    write("f", "x");
    const std::uint64_t own = creationOf(suite("f"));
    ASSERT_NE(own, when);
    for (const auto& c : cases) {
        ASSERT_EQ(setxattr(native("f").c_str(), "user.DOSATTRIB", c.value.data(), c.value.size(), 0), 0);
        EXPECT_EQ(creationOf(suite("f")), c.hasCreation ? when : own) << c.label;
        EXPECT_EQ(listedCreationOf(suite("f")), c.hasCreation ? when : own) << c.label;
        EXPECT_EQ(GetFileAttributesA(suite("f").c_str()), FILE_ATTRIBUTE_ARCHIVE) << c.label;
    }
}

}  // namespace
