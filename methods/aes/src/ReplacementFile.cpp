#include "ReplacementFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "fileerrors.h"
#include "platform/attributes.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string randomSuffix() {
    std::uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits))
        bits ^= reinterpret_cast<std::uintptr_t>(&bits) ^ getpid();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
}

}  // namespace

ReplacementFile::ReplacementFile(std::u16string_view path, mode_t newFileMode)
    : m_deleteGuard(INVALID_HANDLE_VALUE) {
    const std::string suitePath = toUtf8(path);
    if (!suiteToNative(suitePath, m_target)) raiseFileError(GetLastError());
    checkDestination(suitePath);
    createTemporary(m_targetExists ? S_IRUSR | S_IWUSR : newFileMode);
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) close(m_fd);
    if (!m_committed && !m_temporary.empty()) unlink(m_temporary.c_str());
    if (m_deleteGuard != INVALID_HANDLE_VALUE) CloseHandle(m_deleteGuard);
}

void ReplacementFile::checkDestination(const std::string& suitePath) {
    const DWORD attributes = GetFileAttributesA(suitePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;  // a new file
    // The destination is deleted and written anew, which a folder or a read-only file does not allow.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) raise(err::PathFileAccessError);
    m_deleteGuard =
        CreateFileA(suitePath.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_deleteGuard == INVALID_HANDLE_VALUE) raiseFileError(GetLastError());
    struct stat info {};
    if (stat(m_target.c_str(), &info) != 0) raiseErrno(errno);
    m_targetExists = true;
    m_targetMode = info.st_mode & 07777;
}

void ReplacementFile::createTemporary(mode_t mode) {
    const std::string folder = folderOf(m_target);
    std::string base =
        m_target.substr(m_target.rfind('/') == std::string::npos ? 0 : m_target.rfind('/') + 1);
    if (base.size() > 200) base.resize(200);  // room for the suffix within a name's 255 bytes
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = folder + "/." + base + "." + randomSuffix() + ".tmp";
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = std::move(candidate);
            if (m_targetExists && fchmod(m_fd, m_targetMode) != 0) raiseErrno(errno);
            return;
        }
        if (errno != EEXIST) raiseErrno(errno);
    }
    raise(err::PathFileAccessError);
}

void ReplacementFile::write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t written = ::write(m_fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            raiseErrno(errno);
        }
        data = data.subspan(static_cast<std::size_t>(written));
    }
}

void ReplacementFile::commit() {
    if (fsync(m_fd) != 0) raiseErrno(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) raiseErrno(errno);
    if (rename(m_temporary.c_str(), m_target.c_str()) != 0) raiseErrno(errno);
    m_committed = true;
    // The rename itself reaches the disk with the folder's entry.
    const int folder = open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

}  // namespace velmora
