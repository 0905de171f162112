// Reading, writing, positioning and querying through file handles.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "FileHandle.h"
#include "fileerrors.h"
#include "fileinfo.h"
#include "platform/fileinformation.h"

using namespace velmora;

namespace {

std::shared_ptr<FileHandle> fileFor(HANDLE handle) {
    return findHandleOf<FileHandle>(handle);
}

// An OVERLAPPED record names the position the transfer starts at.
off_t positionOf(const OVERLAPPED& overlapped) {
    return static_cast<off_t>((static_cast<std::uint64_t>(overlapped.OffsetHigh) << 32) | overlapped.Offset);
}

bool seekTo(int fd, const OVERLAPPED* overlapped) {
    return !overlapped || lseek(fd, positionOf(*overlapped), SEEK_SET) >= 0 || failWith(errno);
}

BOOL succeed() {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    auto file = fileFor(hFile);
    if (!file) return FALSE;
    if (!file->canRead()) return failWith(EACCES);
    if (!lpBuffer && nNumberOfBytesToRead > 0) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    // At a position of its own the read leaves the shared file offset alone until it is done, so that
    // threads reading other parts of the file through the same handle do not move each other's reads.
    const bool positioned = lpOverlapped != nullptr;
    const off_t start = positioned ? positionOf(*lpOverlapped) : 0;
    if (start < 0) return failWith(EINVAL);
    auto* bytes = static_cast<char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        const ssize_t got = !positioned ? read(file->fd(), bytes + total, nNumberOfBytesToRead - total)
                                        : pread(file->fd(), bytes + total, nNumberOfBytesToRead - total,
                                                start + static_cast<off_t>(total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EISDIR) {
            SetLastError(ERROR_INVALID_FUNCTION);  // a folder handle holds no data
            return FALSE;
        }
        if (got < 0) return failWith(errno);
        if (got == 0) break;
        total += static_cast<DWORD>(got);
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
    }
    if (positioned && lseek(file->fd(), start + static_cast<off_t>(total), SEEK_SET) < 0)
        return failWith(errno);
    return succeed();
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    auto file = fileFor(hFile);
    if (!file) return FALSE;
    if (!file->canWrite()) return failWith(EACCES);
    if (!lpBuffer && nNumberOfBytesToWrite > 0) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (!seekTo(file->fd(), lpOverlapped)) return FALSE;
    const auto* bytes = static_cast<const char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToWrite) {
        const ssize_t put = write(file->fd(), bytes + total, nNumberOfBytesToWrite - total);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return failWith(put == 0 ? ENOSPC : errno);
        total += static_cast<DWORD>(put);
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
    }
    return succeed();
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LPLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    auto file = fileFor(hFile);
    if (!file) return INVALID_SET_FILE_POINTER;
    const std::int64_t distance =
        lpDistanceToMoveHigh
            ? static_cast<std::int64_t>(
                  (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                  static_cast<std::uint32_t>(lDistanceToMove))
            : lDistanceToMove;
    std::int64_t base = 0;
    if (dwMoveMethod == FILE_CURRENT) {
        base = lseek(file->fd(), 0, SEEK_CUR);
    } else if (dwMoveMethod == FILE_END) {
        struct stat st {};
        base = fstat(file->fd(), &st) == 0 ? st.st_size : -1;
    } else if (dwMoveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        failWith(errno);
        return INVALID_SET_FILE_POINTER;
    }
    // Overflow-safe: distance and base are far from the int64 limits for anything a file can be.
    const bool overflows = distance > 0 && base > std::numeric_limits<std::int64_t>::max() - distance;
    const std::int64_t target = overflows ? -1 : base + distance;
    const DWORD error = overflows                                        ? ERROR_INVALID_PARAMETER
                        : target < 0                                     ? ERROR_NEGATIVE_SEEK
                        : !lpDistanceToMoveHigh && target > 0xFFFFFFFFLL ? ERROR_INVALID_PARAMETER
                                                                         : ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd(), target, SEEK_SET) < 0) {
        failWith(errno);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto file = fileFor(hFile);
    struct stat st {};
    if (!file) return INVALID_FILE_SIZE;
    if (fstat(file->fd(), &st) != 0) {
        failWith(errno);
        return INVALID_FILE_SIZE;
    }
    // A link's own handle: the link holds no data.
    const auto size = S_ISLNK(st.st_mode) ? std::uint64_t{0} : static_cast<std::uint64_t>(st.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE hFile) {
    auto file = fileFor(hFile);
    if (!file) return FALSE;
    if (!file->canWrite()) return failWith(EACCES);
    while (fsync(file->fd()) != 0)
        if (errno != EINTR) return failWith(errno);
    return succeed();
}

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
    auto file = fileFor(hFile);
    if (!file) return FALSE;
    if (!lpFileInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // One statx and one reading of the stored attributes answer everything.
    FileFacts facts;
    if (!readFileFacts({file->fd(), nullptr}, facts)) return failWith(errno);
    BY_HANDLE_FILE_INFORMATION& info = *lpFileInformation;
    info.dwFileAttributes = attributesFrom(facts.mode, facts.stored, file->nativePath());
    info.ftCreationTime = facts.times.creation;
    info.ftLastAccessTime = facts.times.lastAccess;
    info.ftLastWriteTime = facts.times.lastWrite;
    info.dwVolumeSerialNumber = static_cast<DWORD>(facts.device);
    info.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
    info.nFileSizeLow = static_cast<DWORD>(facts.size);
    info.nNumberOfLinks = facts.links;
    info.nFileIndexHigh = static_cast<DWORD>(facts.inode >> 32);
    info.nFileIndexLow = static_cast<DWORD>(facts.inode);
    return succeed();
}

BOOL SetFileInformationByHandle(HANDLE hFile, FILE_INFO_BY_HANDLE_CLASS FileInformationClass,
                                LPVOID lpFileInformation, DWORD dwBufferSize) {
    auto file = fileFor(hFile);
    if (!file) return FALSE;
    bool deleteOnClose = false;
    if (FileInformationClass == FileDispositionInfo && lpFileInformation &&
        dwBufferSize >= sizeof(FILE_DISPOSITION_INFO)) {
        deleteOnClose = static_cast<const FILE_DISPOSITION_INFO*>(lpFileInformation)->DeleteFile != 0;
        // Without the Ex form a FALSE only cancels what an earlier TRUE set, never the open's own flag.
        if (!deleteOnClose && file->openedDeleteOnClose()) return succeed();
    } else if (FileInformationClass == FileDispositionInfoEx && lpFileInformation &&
               dwBufferSize >= sizeof(FILE_DISPOSITION_INFO_EX)) {
        const DWORD flags = static_cast<const FILE_DISPOSITION_INFO_EX*>(lpFileInformation)->Flags;
        if ((flags & ~(FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_ON_CLOSE)) != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        deleteOnClose = flags & FILE_DISPOSITION_FLAG_DELETE;
        if (!deleteOnClose && !(flags & FILE_DISPOSITION_FLAG_ON_CLOSE) && file->openedDeleteOnClose())
            return succeed();
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!file->canDelete()) return failWith(EACCES);
    if (const DWORD error = file->setDeleteOnClose(deleteOnClose); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return succeed();
}
