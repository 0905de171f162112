// Share modes through byte-range locks in one lock file per device.
//
// Every file has a 16-byte slot in its device's lock file, placed by its inode number (an inode number too
// large for one file picks one of several lock files by its high bits). Byte layout of a slot (every open
// holds its bytes with a shared lock):
//   0       gate: taken exclusively, briefly, so that check-then-register is atomic
//   1       "is open" (held by every open, so the last one can tell it is the last)
//   2..4    "holds read / write / delete access"
//   5..7    "denies read / write / delete" (the kinds its share mode leaves out)
//   8       "is a delete-on-close open"
//   9       content, not a lock: 'D' once a delete-on-close open has registered; with that open gone and
//           others still open, Win32 calls the file "delete pending"
// Locks may lie past the end of a file, so the lock file stays empty (sparse, with a mark) and is never
// removed. A closed handle's descriptor of it, free of locks, is kept for the next open on the device: an
// open then costs a few fcntl calls and no open() at all.
#include "ShareLock.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "fileerrors.h"
#include "platform/paths.h"

namespace velmora {
namespace {

constexpr off_t kSlotBytes = 16;
constexpr int kSlotShift = 4;
constexpr int kLowInodeBits = 58;  // slot offsets stay below 2^62
constexpr off_t kGate = 0;
constexpr off_t kOpenByte = 1;
constexpr off_t kHolds = 2;
constexpr off_t kDenies = 5;
constexpr off_t kDeleteOnCloseByte = 8;
constexpr off_t kMarkByte = 9;
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

// Bit b of a mask stands for byte b of a slot. Runs of set bits become one call each.
template <class Call>
bool forEachRun(unsigned mask, Call call) {
    for (off_t b = 0; mask >> b; ++b) {
        if (!((mask >> b) & 1)) continue;
        off_t end = b;
        while ((mask >> (end + 1)) & 1) ++end;
        if (!call(b, end - b + 1)) return false;
        b = end;
    }
    return true;
}

class Gate {
  public:
    Gate(int fd, off_t slot) : m_fd(fd), m_slot(slot) { lockRange(m_fd, F_WRLCK, m_slot + kGate, 1, true); }
    ~Gate() { lockRange(m_fd, F_UNLCK, m_slot + kGate, 1); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

  private:
    int m_fd;
    off_t m_slot;
};

bool marked(int fd, off_t slot) {
    char mark = 0;
    return pread(fd, &mark, 1, slot + kMarkByte) == 1 && mark == 'D';
}

bool setMark(int fd, off_t slot, char mark) {
    return pwrite(fd, &mark, 1, slot + kMarkByte) == 1;
}

// The runtime folder, checked when first used and again whenever a lock file cannot be opened in it (a
// temp cleaner may have removed it).
std::string lockFolder(bool recheck) {
    static std::mutex mutex;
    static std::string folder;
    std::lock_guard lock(mutex);
    if (folder.empty() || recheck) folder = runtimeFolder();
    return folder;
}

std::string lockPathFor(const std::string& folder, const struct stat& file) {
    const auto high = static_cast<unsigned long long>(file.st_ino) >> kLowInodeBits;
    char name[64];
    if (high == 0)
        std::snprintf(name, sizeof name, "/%llx.lock", static_cast<unsigned long long>(file.st_dev));
    else
        std::snprintf(name, sizeof name, "/%llx-%llx.lock", static_cast<unsigned long long>(file.st_dev),
                      high);
    return folder + name;
}

off_t slotOf(const struct stat& file) {
    const auto low = static_cast<unsigned long long>(file.st_ino) & ((1ULL << kLowInodeBits) - 1);
    return static_cast<off_t>(low << kSlotShift);
}

// Descriptors of lock files that hold no locks, by lock-file path, for the next opens. Each open needs a
// description of its own (the locks of one description never conflict with each other), so one is handed
// out to one open at a time. A forked child drops the ones it inherited: they share their descriptions with
// the parent.
class SpareLockFiles {
  public:
    static SpareLockFiles& instance() {
        static SpareLockFiles* const spares = [] {
            s_spares = new SpareLockFiles;  // never destroyed: opens may still run at exit
            pthread_atfork(&beforeFork, &afterForkInParent, &afterForkInChild);
            return s_spares;
        }();
        return *spares;
    }

    UniqueFd take(const std::string& path) {
        std::lock_guard lock(m_mutex);
        if (m_inherited) {
            m_spares.clear();
            m_inherited = false;
        }
        for (auto it = m_spares.begin(); it != m_spares.end(); ++it) {
            if (it->first != path) continue;
            UniqueFd fd = std::move(it->second);
            m_spares.erase(it);
            return fd;
        }
        return UniqueFd();
    }

    void give(std::string path, UniqueFd fd) {
        std::lock_guard lock(m_mutex);
        if (m_inherited || m_spares.size() >= kKept) return;  // fd closes here
        m_spares.emplace_back(std::move(path), std::move(fd));
    }

  private:
    static void beforeFork() { s_spares->m_mutex.lock(); }
    static void afterForkInParent() { s_spares->m_mutex.unlock(); }
    static void afterForkInChild() {
        s_spares->m_inherited = true;
        s_spares->m_mutex.unlock();
    }

    static inline SpareLockFiles* s_spares = nullptr;
    static constexpr std::size_t kKept = 8;
    std::mutex m_mutex;
    std::vector<std::pair<std::string, UniqueFd>> m_spares;
    bool m_inherited = false;
};

// Opens the device's lock file (or takes a spare descriptor of it) and takes the file's gate. `markable`
// tells whether the lock file reaches the slot's mark byte at all: where it does not, no mark is set.
DWORD openGated(const struct stat& file, UniqueFd& fd, std::string& path, off_t& slot, bool& markable) {
    slot = slotOf(file);
    for (const bool recheck : {false, true}) {
        const std::string folder = lockFolder(recheck);
        if (folder.empty()) return ERROR_ACCESS_DENIED;
        path = lockPathFor(folder, file);
        while ((fd = SpareLockFiles::instance().take(path))) {
            if (!lockRange(fd.get(), F_WRLCK, slot + kGate, 1, true)) return win32Error(errno);
            // A spare whose file was removed (a temp cleaner, a removed runtime folder) no longer meets the
            // other processes' locks: it goes, and the file is opened anew.
            struct stat lockFile {};
            if (fstat(fd.get(), &lockFile) != 0) return win32Error(errno);
            if (lockFile.st_nlink > 0) {
                markable = lockFile.st_size > slot + kMarkByte;
                return ERROR_SUCCESS;
            }
        }
        fd.reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd || errno != ENOENT) break;
    }
    if (!fd) return win32Error(errno);
    if (!lockRange(fd.get(), F_WRLCK, slot + kGate, 1, true)) return win32Error(errno);
    markable = true;
    return ERROR_SUCCESS;
}

// Hands a lock file's descriptor, every lock of it lifted, on to a later open.
void keepSpare(std::string path, UniqueFd fd) {
    if (fd) SpareLockFiles::instance().give(std::move(path), std::move(fd));
}

// The bytes that must be free for an open using `access` and sharing `share`, and those it then holds.
unsigned mustBeFree(unsigned access, unsigned share) {
    unsigned mask = 0;
    for (int i = 0; i < 3; ++i) {
        if (access & kKinds[i]) mask |= 1u << (kDenies + i);
        if (!(share & kKinds[i])) mask |= 1u << (kHolds + i);
    }
    return mask;
}

unsigned heldBy(unsigned access, unsigned share, bool deleteOnClose) {
    unsigned mask = 1u << kOpenByte;
    for (int i = 0; i < 3; ++i) {
        if (access & kKinds[i]) mask |= 1u << (kHolds + i);
        if (!(share & kKinds[i])) mask |= 1u << (kDenies + i);
    }
    if (deleteOnClose) mask |= 1u << kDeleteOnCloseByte;
    return mask;
}

DWORD conflicts(int fd, off_t slot, bool markable, unsigned access, unsigned share) {
    if (!forEachRun(mustBeFree(access, share),
                    [&](off_t at, off_t length) { return isFree(fd, slot + at, length); }))
        return ERROR_SHARING_VIOLATION;
    if (markable && marked(fd, slot)) {
        const bool othersOpen = !isFree(fd, slot + kFirstMember, kMemberBytes);
        if (othersOpen && isFree(fd, slot + kDeleteOnCloseByte)) return ERROR_ACCESS_DENIED;
        if (!othersOpen && !setMark(fd, slot, 0)) return ERROR_ACCESS_DENIED;  // left by a killed process
    }
    return ERROR_SUCCESS;
}

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Unlinks the file behind dataFd, if its path (openedPath, as a rule, or the one /proc gives) still names
// that very file; true when it did.
bool unlinkOpenFile(int dataFd, const std::string& openedPath) {
    struct stat open {
    }, named{};
    if (fstat(dataFd, &open) != 0) return false;
    if (!openedPath.empty() && lstat(openedPath.c_str(), &named) == 0 && sameEntry(open, named))
        return unlink(openedPath.c_str()) == 0;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dataFd);
    char path[4097];
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    return lstat(path, &named) == 0 && sameEntry(open, named) && unlink(path) == 0;
}

}  // namespace

DWORD ShareLock::acquire(const struct stat& file, unsigned access, unsigned share, bool deleteOnClose) {
    release(-1);
    if (access == 0) share = kShareRead | kShareWrite | kShareDelete;  // no data access: no part in sharing
    UniqueFd fd;
    std::string path;
    off_t slot = 0;
    bool markable = true;
    if (const DWORD error = openGated(file, fd, path, slot, markable); error != ERROR_SUCCESS) return error;
    const int lock = fd.get();
    const DWORD error = conflicts(lock, slot, markable, access, share);
    if (error == ERROR_SUCCESS) {
        forEachRun(heldBy(access, share, deleteOnClose),
                   [&](off_t at, off_t length) { return lockRange(lock, F_RDLCK, slot + at, length); });
        // Should the mark fail to stick, this open's own last close still deletes the file.
        if (deleteOnClose) setMark(lock, slot, 'D');
    }
    lockRange(lock, F_UNLCK, slot + kGate, 1);
    if (error != ERROR_SUCCESS) {
        keepSpare(std::move(path), std::move(fd));
        return error;
    }
    m_lock = std::move(fd);
    m_lockPath = std::move(path);
    m_slot = slot;
    m_deleteOnClose = deleteOnClose;
    return ERROR_SUCCESS;
}

DWORD ShareLock::setDeleteOnClose(bool on) {
    if (!m_lock) return ERROR_INVALID_HANDLE;
    const int lock = m_lock.get();
    const Gate gate(lock, m_slot);
    if (on) {
        if (!lockRange(lock, F_RDLCK, m_slot + kDeleteOnCloseByte, 1)) return win32Error(errno);
        setMark(lock, m_slot, 'D');
    } else {
        lockRange(lock, F_UNLCK, m_slot + kDeleteOnCloseByte, 1);
        if (isFree(lock, m_slot + kDeleteOnCloseByte)) setMark(lock, m_slot, 0);
    }
    m_deleteOnClose = on;
    return ERROR_SUCCESS;
}

bool ShareLock::release(int dataFd, const std::string& openedPath) {
    if (!m_lock) return false;
    bool unlinked = false;
    const int lock = m_lock.get();
    if (!m_deleteOnClose && !marked(lock, m_slot)) {
        // Nothing to delete: a mark set from now on comes with a delete-on-close open that outlives this one.
        lockRange(lock, F_UNLCK, m_slot + kFirstMember, kMemberBytes);
    } else {
        Gate gate(lock, m_slot);
        lockRange(lock, F_UNLCK, m_slot + kFirstMember, kMemberBytes);
        if (isFree(lock, m_slot + kFirstMember, kMemberBytes) && (m_deleteOnClose || marked(lock, m_slot))) {
            if (dataFd >= 0) unlinked = unlinkOpenFile(dataFd, openedPath);
            setMark(lock, m_slot, 0);
        }
    }
    keepSpare(std::move(m_lockPath), std::move(m_lock));
    m_lock.reset();
    return unlinked;
}

DWORD withShareAccess(const struct stat& file, unsigned access, unsigned share,
                      const std::function<DWORD()>& action) {
    UniqueFd fd;
    std::string path;
    off_t slot = 0;
    bool markable = true;
    if (const DWORD error = openGated(file, fd, path, slot, markable); error != ERROR_SUCCESS) return error;
    DWORD error = conflicts(fd.get(), slot, markable, access, share);
    if (error == ERROR_SUCCESS) error = action();
    lockRange(fd.get(), F_UNLCK, slot + kGate, 1);
    keepSpare(std::move(path), std::move(fd));
    return error;
}

}  // namespace velmora
