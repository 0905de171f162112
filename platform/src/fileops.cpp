// Deleting, moving and copying files; creating and removing folders.
#include "platform/fileops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "FileHandle.h"
#include "ShareLock.h"
#include "fileerrors.h"
#include "fileinfo.h"
#include "platform/paths.h"
#include "resolve.h"

namespace velmora {
namespace {

DWORD errnoError(const std::string& path) {
    return win32Error(errno, path);
}

BOOL result(DWORD error) {
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

// A file written beside its target and renamed over it at the end; removed unless committed.
class SiblingTemp {
  public:
    explicit SiblingTemp(const std::string& target)
        : m_path(containingFolder(target) + "/.velmora-copy-XXXXXX") {
        m_fd.reset(mkostemp(m_path.data(), O_CLOEXEC));
        if (!m_fd) m_path.clear();
    }
    ~SiblingTemp() {
        if (!m_path.empty()) unlink(m_path.c_str());
    }
    int fd() const { return m_fd.get(); }
    const std::string& path() const { return m_path; }
    void committed() { m_path.clear(); }

  private:
    std::string m_path;
    UniqueFd m_fd;
};

bool copyData(int from, int to) {
    for (;;) {
        const ssize_t copied = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0) return true;
        if (copied > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
        break;  // not offered between these files: plain reads and writes
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

// Writes a complete, flushed copy of `source` under a temporary name beside `target`.
DWORD writeCopy(int source, const struct stat& st, SiblingTemp& temp) {
    if (!temp.path().size()) return ERROR_GEN_FAILURE;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (lseek(source, 0, SEEK_SET) < 0 || !copyData(source, temp.fd()) ||
        fchmod(temp.fd(), st.st_mode & 07777) != 0 ||
        !writeStoredAttributes({temp.fd(), nullptr}, readStoredAttributes({source, nullptr})) ||
        futimens(temp.fd(), times) != 0 || fsync(temp.fd()) != 0)
        return win32Error(errno);
    return ERROR_SUCCESS;
}

DWORD copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    // The source is opened as Win32 opens it, so that share modes of other handles hold.
    HANDLE handle = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    const auto source = findHandleOf<FileHandle>(handle);
    CloseHandle(handle);  // `source` keeps the descriptor until we are done
    struct stat st {
    }, existing{};
    if (fstat(source->fd(), &st) != 0) return win32Error(errno);

    const bool exists = stat(to.c_str(), &existing) == 0;
    if (exists) {
        if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) return ERROR_SHARING_VIOLATION;
        if (failIfExists) return ERROR_FILE_EXISTS;
        if (S_ISDIR(existing.st_mode) || (existing.st_mode & 0222) == 0) return ERROR_ACCESS_DENIED;
    }
    SiblingTemp temp(to);
    if (temp.path().empty()) return errnoError(to);
    if (const DWORD error = writeCopy(source->fd(), st, temp); error != ERROR_SUCCESS) return error;
    const auto commit = [&]() -> DWORD {
        const int renamed = failIfExists || !exists ? renameat2(AT_FDCWD, temp.path().c_str(), AT_FDCWD,
                                                                to.c_str(), RENAME_NOREPLACE)
                                                    : rename(temp.path().c_str(), to.c_str());
        if (renamed != 0) return errno == EEXIST ? ERROR_FILE_EXISTS : errnoError(to);
        temp.committed();
        return ERROR_SUCCESS;
    };
    return exists ? withShareAccess(existing, kShareWrite | kShareDelete, 7, commit) : commit();
}

DWORD moveFile(const std::string& from, const std::string& to) {
    struct stat st {};
    if (lstat(from.c_str(), &st) != 0) return errnoError(from);
    return withShareAccess(st, kShareDelete, 7, [&]() -> DWORD {
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return ERROR_SUCCESS;
        if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
        return errno == EXDEV ? ERROR_NOT_SAME_DEVICE : errnoError(to);
    });
}

DWORD removeFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errnoError(path);
    return withShareAccess(st, kShareDelete, 7, [&]() -> DWORD {
        return unlink(path.c_str()) == 0 ? ERROR_SUCCESS : errnoError(path);
    });
}

}  // namespace
}  // namespace velmora

using namespace velmora;

BOOL DeleteFileA(LPCSTR lpFileName) {
    std::string path;
    if (!lpFileName) return result(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpFileName, path)) return FALSE;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return result(errnoError(path));
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0))
        return result(ERROR_ACCESS_DENIED);
    return result(removeFile(path));
}

BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    std::string from, to;
    if (!lpExistingFileName || !lpNewFileName) return result(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpExistingFileName, from) || !resolveSuitePath(lpNewFileName, to)) return FALSE;
    const DWORD error = moveFile(from, to);
    struct stat st {};
    if (error == ERROR_NOT_SAME_DEVICE && lstat(from.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        // Another file system: copy, then delete the source, as Win32 moves files between volumes. The
        // copy opens the source itself, so it runs outside the share check of the rename.
        const DWORD copyError = copyFile(from, to, true);
        return result(copyError != ERROR_SUCCESS ? copyError : removeFile(from));
    }
    return result(error);
}

BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    std::string from, to;
    if (!lpExistingFileName || !lpNewFileName) return result(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpExistingFileName, from) || !resolveSuitePath(lpNewFileName, to)) return FALSE;
    return result(copyFile(from, to, bFailIfExists));
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string path;
    if (!lpPathName) return result(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpPathName, path)) return FALSE;
    if (mkdir(path.c_str(), 0777) == 0) return result(ERROR_SUCCESS);
    if (errno == EEXIST) return result(ERROR_ALREADY_EXISTS);
    return result(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errnoError(path));
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
    std::string path;
    if (!lpPathName) return result(ERROR_PATH_NOT_FOUND);
    if (!resolveSuitePath(lpPathName, path)) return FALSE;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return result(errnoError(path));
    if (!S_ISDIR(st.st_mode)) return result(ERROR_DIRECTORY);
    if (rmdir(path.c_str()) == 0) return result(ERROR_SUCCESS);
    return result(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : errnoError(path));
}
