// Share modes through byte-range locks on a per-inode lock file.
//
// Byte layout of the lock file (every open holds its bytes with a shared lock):
//   0       gate: taken exclusively, briefly, so that check-then-register is atomic
//   1..3    "holds read / write / delete access"
//   4..6    "denies read / write / delete" (the kinds its share mode leaves out)
//   7       "is a delete-on-close open"
//   8       "is open" (held by every open, so the last one can tell it is the last)
// A new open conflicts when a byte it must find free is held by another open: "denies X" for each access
// X it wants, and "holds X" for each kind X it does not share. The file's content (one byte) marks a
// delete-on-close file whose delete-on-close open has already closed: Win32 calls that "delete pending".
#include "ShareLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "fileerrors.h"
#include "platform/paths.h"

namespace velmora {
namespace {

constexpr off_t kGate = 0;
constexpr off_t kHolds = 1;
constexpr off_t kDenies = 4;
constexpr off_t kDeleteOnCloseByte = 7;
constexpr off_t kOpenByte = 8;
constexpr off_t kFirstMember = 1;
constexpr off_t kMemberBytes = 8;
constexpr unsigned kKinds[] = {kShareRead, kShareWrite, kShareDelete};

bool lockRange(int fd, short type, off_t start, off_t length, bool wait = false) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = length;
    while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0)
        if (errno != EINTR) return false;
    return true;
}

// True when no other open holds any byte of the range (a failed query counts as held: refuse, not guess).
bool isFree(int fd, off_t start, off_t length = 1) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = length;
    return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type == F_UNLCK;
}

class Gate {
  public:
    explicit Gate(int fd) : m_fd(fd) { lockRange(m_fd, F_WRLCK, kGate, 1, true); }
    ~Gate() { lockRange(m_fd, F_UNLCK, kGate, 1); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

  private:
    int m_fd;
};

bool deletePending(int fd) {
    char marker = 0;
    return pread(fd, &marker, 1, 0) == 1 && marker == 'D';
}

std::string lockPathFor(const struct stat& file) {
    const std::string folder = runtimeFolder();
    if (folder.empty()) return {};
    char name[64];
    std::snprintf(name, sizeof name, "/%llx-%llx.lock", static_cast<unsigned long long>(file.st_dev),
                  static_cast<unsigned long long>(file.st_ino));
    return folder + name;
}

// Opens the lock file and takes its gate. Retries when a last closer removed the file meanwhile.
DWORD openGated(const struct stat& file, UniqueFd& fd, std::string& path) {
    path = lockPathFor(file);
    if (path.empty()) return ERROR_ACCESS_DENIED;
    for (;;) {
        fd.reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) return win32Error(errno);
        lockRange(fd.get(), F_WRLCK, kGate, 1, true);
        struct stat st {};
        if (fstat(fd.get(), &st) == 0 && st.st_nlink > 0) return ERROR_SUCCESS;
    }
}

DWORD conflicts(int fd, unsigned access, unsigned share) {
    for (int i = 0; i < 3; ++i) {
        if ((access & kKinds[i]) && !isFree(fd, kDenies + i)) return ERROR_SHARING_VIOLATION;
        if (!(share & kKinds[i]) && !isFree(fd, kHolds + i)) return ERROR_SHARING_VIOLATION;
    }
    if (deletePending(fd)) {
        if (isFree(fd, kDeleteOnCloseByte) && !isFree(fd, kFirstMember, kMemberBytes))
            return ERROR_ACCESS_DENIED;
        if (isFree(fd, kFirstMember, kMemberBytes)) {
            if (ftruncate(fd, 0) != 0) return ERROR_ACCESS_DENIED;  // left by a crashed process: forget it
        }
    }
    return ERROR_SUCCESS;
}

// Unlinks the file behind dataFd, if its path still names that very file.
void unlinkOpenFile(int dataFd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dataFd);
    char path[4097];
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) return;
    path[length] = '\0';
    struct stat open {
    }, named{};
    if (fstat(dataFd, &open) == 0 && lstat(path, &named) == 0 && open.st_dev == named.st_dev &&
        open.st_ino == named.st_ino)
        unlink(path);
}

}  // namespace

DWORD ShareLock::acquire(const struct stat& file, unsigned access, unsigned share, bool deleteOnClose) {
    release(-1);
    if (access == 0) share = kShareRead | kShareWrite | kShareDelete;  // no data access: no part in sharing
    UniqueFd fd;
    std::string path;
    if (const DWORD error = openGated(file, fd, path); error != ERROR_SUCCESS) return error;
    const int lock = fd.get();
    const DWORD error = conflicts(lock, access, share);
    if (error == ERROR_SUCCESS) {
        for (int i = 0; i < 3; ++i) {
            if (access & kKinds[i]) lockRange(lock, F_RDLCK, kHolds + i, 1);
            if (!(share & kKinds[i])) lockRange(lock, F_RDLCK, kDenies + i, 1);
        }
        lockRange(lock, F_RDLCK, kOpenByte, 1);
        if (deleteOnClose) {
            lockRange(lock, F_RDLCK, kDeleteOnCloseByte, 1);
            // Should the mark fail to stick, this open's own last close still deletes the file.
            (void)!pwrite(lock, "D", 1, 0);
        }
        m_lock = std::move(fd);
        m_path = std::move(path);
        m_deleteOnClose = deleteOnClose;
    } else if (isFree(lock, kFirstMember, kMemberBytes)) {
        unlink(path.c_str());
    }
    lockRange(lock, F_UNLCK, kGate, 1);
    return error;
}

void ShareLock::release(int dataFd) {
    if (!m_lock) return;
    const int lock = m_lock.get();
    {
        Gate gate(lock);
        lockRange(lock, F_UNLCK, kFirstMember, kMemberBytes);
        if (isFree(lock, kFirstMember, kMemberBytes)) {
            if (dataFd >= 0 && (m_deleteOnClose || deletePending(lock))) unlinkOpenFile(dataFd);
            unlink(m_path.c_str());
        }
    }
    m_lock.reset();
}

DWORD withShareAccess(const struct stat& file, unsigned access, unsigned share,
                      const std::function<DWORD()>& action) {
    UniqueFd fd;
    std::string path;
    if (const DWORD error = openGated(file, fd, path); error != ERROR_SUCCESS) return error;
    DWORD error = conflicts(fd.get(), access, share);
    if (error == ERROR_SUCCESS) error = action();
    if (isFree(fd.get(), kFirstMember, kMemberBytes)) unlink(path.c_str());  // nobody else: tidy up
    return error;
}

}  // namespace velmora
