// A file's creation, last-access and last-write times.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "FileHandle.h"
#include "fileerrors.h"
#include "fileinfo.h"
#include "platform/filetime.h"

namespace velmora {
namespace {

constexpr const char* kBirthTime = "user.velmora.btime";
constexpr std::int64_t kTicksPerSecond = kFileTimeTicksPerSecond;

FILETIME fromSeconds(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -kUnixEpochSeconds) return FILETIME{0, 0};
    const auto ticks =
        static_cast<std::uint64_t>((seconds + kUnixEpochSeconds) * kTicksPerSecond + nanoseconds / 100);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME fromStatx(const struct statx_timestamp& time) {
    return fromSeconds(time.tv_sec, time.tv_nsec);
}

std::uint64_t ticksOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The stored creation time: 8 bytes, little-endian ticks.
bool storedBirthTime(FileRef file, FILETIME& time) {
    unsigned char value[8];
    if (readXattr(file, kBirthTime, value, sizeof value) != sizeof value) return false;
    std::uint64_t ticks = 0;
    for (int i = 7; i >= 0; --i) ticks = (ticks << 8) | value[i];
    time = FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return true;
}

bool storeBirthTime(FileRef file, const FILETIME& time) {
    unsigned char value[8];
    std::uint64_t ticks = ticksOf(time);
    for (unsigned char& byte : value) {
        byte = static_cast<unsigned char>(ticks);
        ticks >>= 8;
    }
    return writeXattr(file, kBirthTime, value, sizeof value) == 0 || errno == ENOTSUP;
}

// Win32 leaves a time alone when it is passed as NULL, 0 or all ones.
bool givesTime(const FILETIME* time) {
    return time && ticksOf(*time) != 0 && ticksOf(*time) != ~std::uint64_t{0};
}

bool earlier(const struct statx_timestamp& a, const struct statx_timestamp& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

FILETIME toFileTime(const struct timespec& time) {
    return fromSeconds(time.tv_sec, static_cast<std::uint32_t>(time.tv_nsec));
}

struct timespec toTimespec(const FILETIME& time) {
    const std::uint64_t ticks = ticksOf(time);
    struct timespec result {};
    result.tv_sec =
        static_cast<time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) - kUnixEpochSeconds);
    result.tv_nsec = static_cast<long>(ticks % kTicksPerSecond * 100);
    return result;
}

bool readFileTimes(FileRef file, FileTimes& times) {
    struct statx sx {};
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    const int result = file.fd >= 0 ? statx(file.fd, "", AT_EMPTY_PATH, mask, &sx)
                                    : statx(AT_FDCWD, file.path, 0, mask, &sx);
    if (result != 0) return false;
    times.lastAccess = fromStatx(sx.stx_atime);
    times.lastWrite = fromStatx(sx.stx_mtime);
    if (storedBirthTime(file, times.creation)) return true;
    if (sx.stx_mask & STATX_BTIME)
        times.creation = fromStatx(sx.stx_btime);
    else
        times.creation = fromStatx(earlier(sx.stx_ctime, sx.stx_mtime) ? sx.stx_ctime : sx.stx_mtime);
    return true;
}

}  // namespace velmora

using namespace velmora;

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                 LPFILETIME lpLastWriteTime) {
    auto file = findHandleOf<FileHandle>(hFile);
    if (!file) return FALSE;
    FileTimes times{};
    if (!readFileTimes({file->fd(), nullptr}, times)) return failWith(errno);
    if (lpCreationTime) *lpCreationTime = times.creation;
    if (lpLastAccessTime) *lpLastAccessTime = times.lastAccess;
    if (lpLastWriteTime) *lpLastWriteTime = times.lastWrite;
    return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime) {
    auto file = findHandleOf<FileHandle>(hFile);
    if (!file) return FALSE;
    if (!file->canWriteAttributes()) return failWith(EACCES);
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (givesTime(lpLastAccessTime)) times[0] = toTimespec(*lpLastAccessTime);
    if (givesTime(lpLastWriteTime)) times[1] = toTimespec(*lpLastWriteTime);
    if ((givesTime(lpLastAccessTime) || givesTime(lpLastWriteTime)) && futimens(file->fd(), times) != 0)
        return failWith(errno);
    if (givesTime(lpCreationTime) && !storeBirthTime({file->fd(), nullptr}, *lpCreationTime))
        return failWith(errno);
    return TRUE;
}
