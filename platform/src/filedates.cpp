// A file's creation, last-access and last-write times.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdint>

#include "FileHandle.h"
#include "fileerrors.h"
#include "fileinfo.h"
#include "platform/filetime.h"

namespace velmora {
namespace {

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

namespace {

int statxOf(FileRef file, unsigned mask, struct statx& sx) {
    if (file.fd >= 0) return statx(file.fd, "", AT_EMPTY_PATH, mask, &sx);
    if (statx(AT_FDCWD, file.path, 0, mask, &sx) == 0) return 0;
    return statx(AT_FDCWD, file.path, AT_SYMLINK_NOFOLLOW, mask, &sx);  // a dangling link: itself
}

void fillTimes(const struct statx& sx, const StoredInfo& stored, FileTimes& times) {
    times.lastAccess = fromStatx(sx.stx_atime);
    times.lastWrite = fromStatx(sx.stx_mtime);
    if (stored.hasCreation)
        times.creation = stored.creation;
    else if (sx.stx_mask & STATX_BTIME)
        times.creation = fromStatx(sx.stx_btime);
    else
        times.creation = fromStatx(earlier(sx.stx_ctime, sx.stx_mtime) ? sx.stx_ctime : sx.stx_mtime);
}

}  // namespace

bool readFileTimes(FileRef file, FileTimes& times) {
    struct statx sx {};
    if (statxOf(file, STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME, sx) != 0) return false;
    fillTimes(sx, readStoredInfo(file), times);
    return true;
}

bool readFileFacts(FileRef file, FileFacts& facts) {
    struct statx sx {};
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_ATIME |
                          STATX_MTIME | STATX_CTIME | STATX_BTIME;
    if (statxOf(file, mask, sx) != 0) return false;
    const StoredInfo stored = readStoredInfo(file);
    facts.mode = sx.stx_mode;
    facts.size = sx.stx_size;
    facts.stored = stored.attributes;
    facts.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    facts.inode = sx.stx_ino;
    facts.links = sx.stx_nlink;
    fillTimes(sx, stored, facts.times);
    return true;
}

bool readEntryFacts(int folderFd, const char* name, const char* path, FileFacts& facts, bool& link) {
    struct statx sx {};
    const unsigned mask =
        STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;
    if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) return false;
    link = S_ISLNK(sx.stx_mode);
    if (link) {
        struct statx target {};
        if (statx(folderFd, name, 0, mask, &target) == 0) sx = target;  // a dangling link: itself
    }
    const StoredInfo stored = readStoredInfoAt(folderFd, name, path);
    facts.mode = sx.stx_mode;
    facts.size = sx.stx_size;
    facts.stored = stored.attributes;
    fillTimes(sx, stored, facts.times);
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
    if (givesTime(lpCreationTime) && !writeStoredCreation({file->fd(), nullptr}, *lpCreationTime))
        return failWith(errno);
    return TRUE;
}
