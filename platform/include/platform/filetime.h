// File times: 100-nanosecond intervals since 1 January 1601 UTC. The creation time is the file system's
// birth time, or the one set through SetFileTime (kept in the "user.velmora.btime" extended attribute,
// which wins when present); where neither exists, the earlier of the last-write and change times.
//
// Local time uses the process's time zone (TZ) with the daylight-saving rule of the moment converted, not
// of the moment of the call: a summer date reads as summer time all year round, and results do not
// depend on the day the program runs.
#pragma once

#include <cstdint>

#include "platform/win32types.h"

namespace velmora {
// File times count 100-nanosecond ticks; the Unix epoch (1970-01-01) lies this far after 1601-01-01.
constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr std::int64_t kUnixEpochSeconds = 11'644'473'600;
constexpr std::int64_t kUnixEpochAsFileTime = kUnixEpochSeconds * kFileTimeTicksPerSecond;
}  // namespace velmora

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using PSYSTEMTIME = SYSTEMTIME*;
using LPSYSTEMTIME = SYSTEMTIME*;
static_assert(sizeof(SYSTEMTIME) == 16 && sizeof(FILETIME) == 8);

// Splits a file time into calendar fields (no time-zone conversion); FALSE with ERROR_INVALID_PARAMETER
// for values above 0x7FFFFFFFFFFFFFFF, as Win32.
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
// Joins calendar fields (wDayOfWeek ignored); FALSE with ERROR_INVALID_PARAMETER for an impossible date
// or time (month 13, 30 February, hour 24, year before 1601 or after 30827).
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
// UTC -> local time and back (see the note at the top on daylight-saving time).
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);

// A file's creation, last-access and last-write times (any pointer may be NULL).
BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                 LPFILETIME lpLastWriteTime);
// Sets them through a handle opened with write access (else ERROR_ACCESS_DENIED). A NULL pointer, a zero
// time or 0xFFFFFFFF:FFFFFFFF leaves that time as it is. Where the file system keeps no user extended
// attributes the creation time cannot be stored and is left as it is, quietly.
BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime);
