// CreateFileA: opening and creating files with Win32 dispositions, share modes and flags.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "FileHandle.h"
#include "fileerrors.h"
#include "fileinfo.h"
#include "resolve.h"

namespace velmora {
namespace {

constexpr DWORD kAttributeMask = FILE_ATTRIBUTE_READONLY | kStoredAttributes;

struct OpenRequest {
    std::string path;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
    unsigned kinds;
};

// An open descriptor and whether this call created the file.
struct Opened {
    UniqueFd fd;
    bool created = false;
    DWORD error = ERROR_SUCCESS;
};

bool ownLink(const OpenRequest& request) {
    return request.flags & FILE_FLAG_OPEN_REPARSE_POINT;
}

int openFlags(const OpenRequest& request) {
    // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused right after.
    int flags = O_CLOEXEC | O_NONBLOCK | (ownLink(request) ? O_NOFOLLOW : 0);
    const bool read = request.kinds & kShareRead, write = request.kinds & kShareWrite;
    flags |= write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (write && (request.flags & (FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING))) flags |= O_DSYNC;
    return flags;
}

Opened openExisting(const OpenRequest& request, int flags) {
    Opened opened;
    struct stat st {};
    // Asking for the link itself, one lstat tells a link apart and is the stat of anything else.
    const bool found =
        ownLink(request) ? lstat(request.path.c_str(), &st) == 0 : stat(request.path.c_str(), &st) == 0;
    if (found && S_ISLNK(st.st_mode)) {
        // The link itself: a descriptor that names it and can neither read nor write through it.
        opened.fd.reset(open(request.path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!opened.fd) opened.error = win32Error(errno, request.path);
        return opened;
    }
    if (found && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        opened.error = ERROR_ACCESS_DENIED;  // pipes and devices are not files (checked again once open)
        return opened;
    }
    opened.fd.reset(open(request.path.c_str(), flags));
    // A handle for attributes and times only needs no read permission on Win32.
    if (!opened.fd && errno == EACCES && request.kinds == 0)
        opened.fd.reset(open(request.path.c_str(), O_PATH | O_CLOEXEC));
    if (!opened.fd) opened.error = win32Error(errno, request.path);
    return opened;
}

Opened openOrCreate(const OpenRequest& request) {
    const int flags = openFlags(request);
    if (request.disposition == OPEN_EXISTING || request.disposition == TRUNCATE_EXISTING)
        return openExisting(request, flags);
    const mode_t mode = (request.flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    for (int attempt = 0; attempt < 16; ++attempt) {  // the file may come and go between the two opens
        Opened opened;
        opened.fd.reset(open(request.path.c_str(), flags | O_CREAT | O_EXCL, mode));
        if (opened.fd) {
            opened.created = true;
            return opened;
        }
        if (errno != EEXIST) {
            opened.error = win32Error(errno, request.path);
            return opened;
        }
        if (request.disposition == CREATE_NEW) {
            opened.error = ERROR_FILE_EXISTS;
            return opened;
        }
        opened = openExisting(request, flags);
        if (opened.fd || opened.error != ERROR_FILE_NOT_FOUND) return opened;
    }
    return Opened{UniqueFd(), false, ERROR_SHARING_VIOLATION};
}

bool isFolderRequest(const OpenRequest& request) {
    struct stat st {};
    return (request.flags & FILE_FLAG_BACKUP_SEMANTICS) && stat(request.path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

// What the Win32 rules refuse about an opened file; ERROR_SUCCESS when it may be used.
DWORD refusal(const OpenRequest& request, const struct stat& st, bool created) {
    if (S_ISLNK(st.st_mode)) return ownLink(request) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    if (S_ISDIR(st.st_mode))
        return (request.flags & FILE_FLAG_BACKUP_SEMANTICS) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
    const bool readOnly = (st.st_mode & 0222) == 0;
    const bool changes = (request.kinds & (kShareWrite | kShareDelete)) ||
                         request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING;
    return readOnly && changes && !created ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// Truncation through a descriptor of its own: a CREATE_ALWAYS handle may have been asked without write
// access.
bool truncateFile(int fd) {
    if (ftruncate(fd, 0) == 0) return true;
    UniqueFd writer(open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_WRONLY | O_CLOEXEC));
    return writer && ftruncate(writer.get(), 0) == 0;
}

// Applies the attributes of a created (or CREATE_ALWAYS-replaced) file.
bool applyAttributes(int fd, const struct stat& st, DWORD attributes, bool created) {
    if (!created && (attributes & FILE_ATTRIBUTE_READONLY) && fchmod(fd, st.st_mode & 07555) != 0)
        return false;
    if (!created && !(attributes & kStoredAttributes)) return writeStoredAttributes({fd, nullptr}, 0);
    return !(attributes & kStoredAttributes) || writeStoredAttributes({fd, nullptr}, attributes);
}

// Hints for reading ahead. A file that the kernel's first readahead window already covers gets nothing
// from the sequential one.
void adviseCache(int fd, const struct stat& st, DWORD flags) {
    constexpr off_t kFirstReadahead = 128 << 10;
    if ((flags & FILE_FLAG_SEQUENTIAL_SCAN) && st.st_size > kFirstReadahead)
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (flags & FILE_FLAG_RANDOM_ACCESS) posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
}

HANDLE fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// The descriptor of an existing file or folder that the Win32 rules let the request open, with its facts;
// no descriptor and the error otherwise.
Opened openAllowed(const OpenRequest& request, struct stat& st) {
    Opened opened = isFolderRequest(request) ? openExisting(request, O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                             : openOrCreate(request);
    if (!opened.fd) return opened;
    if (fstat(opened.fd.get(), &st) != 0) return Opened{UniqueFd(), false, win32Error(errno)};
    if (const DWORD error = refusal(request, st, opened.created); error != ERROR_SUCCESS)
        return Opened{UniqueFd(), false, error};
    return opened;
}

}  // namespace

unsigned shareKindsOf(DWORD desiredAccess, DWORD flags) {
    unsigned kinds = 0;
    if (desiredAccess & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE))
        kinds |= kShareRead;
    if (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA))
        kinds |= kShareWrite;
    if ((desiredAccess & (DELETE | GENERIC_ALL)) || (flags & FILE_FLAG_DELETE_ON_CLOSE))
        kinds |= kShareDelete;
    return kinds;
}

bool canOpenExisting(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                     DWORD dwFlagsAndAttributes) {
    const DWORD flags = dwFlagsAndAttributes & ~FILE_FLAG_DELETE_ON_CLOSE;
    OpenRequest request{
        {}, dwDesiredAccess, dwShareMode, OPEN_EXISTING, flags, shareKindsOf(dwDesiredAccess, flags)};
    if (!lpFileName) return fail(ERROR_PATH_NOT_FOUND), false;
    if (!resolveSuitePath(lpFileName, request.path)) return false;
    struct stat st {};
    const Opened opened = openAllowed(request, st);
    if (!opened.fd) return fail(opened.error), false;
    // An open without data access takes no part in sharing, as ShareLock::acquire has it.
    const unsigned share = request.kinds == 0 ? kShareRead | kShareWrite | kShareDelete : dwShareMode & 7;
    const DWORD error = withShareAccess(st, request.kinds, share, [] { return DWORD{ERROR_SUCCESS}; });
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

}  // namespace velmora

using namespace velmora;

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    OpenRequest request{{},
                        dwDesiredAccess,
                        dwShareMode,
                        dwCreationDisposition,
                        dwFlagsAndAttributes,
                        shareKindsOf(dwDesiredAccess, dwFlagsAndAttributes)};
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING ||
        (dwCreationDisposition == TRUNCATE_EXISTING && !(request.kinds & kShareWrite)))
        return fail(ERROR_INVALID_PARAMETER);
    if (!lpFileName) return fail(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpFileName, request.path)) return INVALID_HANDLE_VALUE;

    struct stat st {};
    Opened opened = openAllowed(request, st);
    if (!opened.fd) return fail(opened.error);
    const int fd = opened.fd.get();

    ShareLock share;
    const bool deleteOnClose = dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE;
    if (const DWORD error = share.acquire(st, request.kinds, dwShareMode & 7, deleteOnClose);
        error != ERROR_SUCCESS)
        return fail(error);

    // A link's own handle has no data to truncate and no attributes of its own to apply.
    const bool replaced = !opened.created && dwCreationDisposition == CREATE_ALWAYS && !S_ISLNK(st.st_mode);
    if (!S_ISLNK(st.st_mode) &&
        (replaced || (!opened.created && dwCreationDisposition == TRUNCATE_EXISTING)) && !truncateFile(fd))
        return fail(win32Error(errno));
    if ((opened.created || replaced) &&
        !applyAttributes(fd, st, dwFlagsAndAttributes & kAttributeMask, opened.created))
        return fail(win32Error(errno));
    if (!S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) {
        // Of the flags F_SETFL changes, the open set only O_NONBLOCK: clearing them all clears that, in one
        // call.
        fcntl(fd, F_SETFL, 0);
        adviseCache(fd, st, dwFlagsAndAttributes);
    }

    // A link's handle takes part in sharing and deletion, but moves no data.
    const unsigned dataKinds = S_ISLNK(st.st_mode) ? request.kinds & kShareDelete : request.kinds;
    HANDLE handle = insertHandle(std::make_shared<FileHandle>(
        std::move(opened.fd), std::move(share), request.path, dwDesiredAccess, dataKinds, deleteOnClose));
    const bool existed =
        !opened.created && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}
