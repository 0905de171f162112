#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "fileerrors.h"
#include "platform/CommitsInFlight.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace velmora {
namespace {

std::string baseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix() {
    std::uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits))
        bits ^= reinterpret_cast<std::uintptr_t>(&bits) ^ static_cast<std::uint64_t>(getpid());
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
}

// A name beside the destination that nothing else uses: ".<name>.<hex>.tmp".
std::string temporaryName(const std::string& target) {
    std::string base = baseOf(target);
    if (base.size() > 200) base.resize(200);  // room for the suffix within a name's 255 bytes
    return containingFolder(target) + "/." + base + "." + randomSuffix() + ".tmp";
}

// File systems that cannot make unnamed files say so with one of these.
bool refusesUnnamed(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

}  // namespace

ReplacementFile::~ReplacementFile() {
    discard();
}

void ReplacementFile::discard() noexcept {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    if (m_deleteGuard != INVALID_HANDLE_VALUE) CloseHandle(m_deleteGuard);
    m_deleteGuard = INVALID_HANDLE_VALUE;
}

bool ReplacementFile::fail(int error) {
    const DWORD code = error == EIO ? ERROR_WRITE_FAULT : win32Error(error, m_target);
    discard();
    SetLastError(code);
    return false;
}

bool ReplacementFile::open(std::string_view suitePath, NewFile newFile, Staging staging) {
    discard();
    m_targetExists = false;
    if (!suiteToNative(suitePath, m_target)) return false;
    if (!checkDestination(suitePath)) return false;
    const unsigned mode = m_targetExists || newFile == NewFile::OwnerOnly ? 0600 : 0666;
    if (staging == Staging::Unnamed) {
        const std::string folder = containingFolder(m_target);
        CommitsInFlight* const commits = CommitsInFlight::active();
        int fd = commits ? commits->takeUnnamed(folder, mode) : -1;
        if (fd < 0) fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0) return adopt(fd, {});
        if (!refusesUnnamed(errno)) return fail(errno);
    }
    return createNamed(mode);
}

bool ReplacementFile::checkDestination(std::string_view suitePath) {
    struct stat info {};
    if (::lstat(m_target.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // a new file
        return fail(errno);
    }
    // The destination is deleted and written anew, which a folder, a read-only file or a link (whose
    // target would stay behind in plain) does not allow.
    if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::string name(suitePath);
    m_deleteGuard = CreateFileA(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_deleteGuard == INVALID_HANDLE_VALUE) return false;
    m_targetExists = true;
    m_targetMode = info.st_mode & 07777;
    return true;
}

bool ReplacementFile::adopt(int fd, std::string temporary) {
    m_fd = fd;
    m_written = 0;
    m_unnamed = temporary.empty();
    m_temporary = std::move(temporary);
    if (m_targetExists && ::fchmod(m_fd, m_targetMode) != 0) return fail(errno);
    return true;
}

bool ReplacementFile::createNamed(unsigned mode) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = temporaryName(m_target);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return adopt(fd, std::move(candidate));
        if (errno != EEXIST) return fail(errno);
    }
    return fail(EEXIST);
}

bool ReplacementFile::write(std::span<const std::uint8_t> data) {
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    const off_t before = m_written;
    while (!data.empty()) {
        const ssize_t written = ::write(m_fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        data = data.subspan(static_cast<std::size_t>(written));
        m_written += written;
    }
    // Writeback starts at every few MiB rather than all at commit: the disk works while the caller
    // computes the next bytes, and commit's flush waits only for the rest. A hint: failures do not count.
    constexpr off_t kWritebackStep = 8 << 20;
    const off_t after = m_written;
    if (after / kWritebackStep != before / kWritebackStep)
        ::sync_file_range(m_fd, before / kWritebackStep * kWritebackStep, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

bool ReplacementFile::putInPlace() const {
    if (m_targetExists) return ::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    // A new file never takes the place of one that appeared meanwhile (another run's result, say).
    if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that rename: a link is never made over an existing name either.
    if (::link(m_temporary.c_str(), m_target.c_str()) != 0) return false;
    ::unlink(m_temporary.c_str());
    return true;
}

bool ReplacementFile::commit() {
    CommitsInFlight* const inFlight = CommitsInFlight::active();
    if (m_fd < 0 || !inFlight) return commitNow();
    // The staged file, its name and its claim on the destination go along; this object is left empty.
    auto handed = std::make_unique<ReplacementFile>();
    std::swap(handed->m_target, m_target);
    std::swap(handed->m_temporary, m_temporary);
    std::swap(handed->m_fd, m_fd);
    std::swap(handed->m_written, m_written);
    std::swap(handed->m_unnamed, m_unnamed);
    std::swap(handed->m_targetExists, m_targetExists);
    std::swap(handed->m_targetMode, m_targetMode);
    std::swap(handed->m_deleteGuard, m_deleteGuard);
    inFlight->hand(std::move(handed));
    return true;
}

bool ReplacementFile::commitNow() {
    if (!placeNow()) return false;
    flushFolder(folder());
    discard();
    return true;
}

bool ReplacementFile::placeNow() {
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (::fsync(m_fd) != 0) return fail(errno);
    if (m_unnamed) {
        // Linking through /proc needs no privilege, unlike AT_EMPTY_PATH. A new file is linked under its
        // name at once (a link never replaces a name, and no temporary name can be left by a kill); a
        // replacement gets a temporary name to rename over the old file.
        std::string staged = m_targetExists ? temporaryName(m_target) : m_target;
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staged.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return fail(errno);
        if (m_targetExists) m_temporary = std::move(staged);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) return fail(errno);
    if (!m_temporary.empty() && !putInPlace()) return fail(errno);
    m_temporary.clear();
    return true;
}

std::string ReplacementFile::folder() const {
    return containingFolder(m_target);
}

void ReplacementFile::flushFolder(const std::string& folder) {
    // The new name reaches the disk with the folder's entries.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace velmora
