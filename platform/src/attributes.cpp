// File attributes: permission bits, the "user.DOSATTRIB" extended attribute and dot-names.
#include "platform/attributes.h"

#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileerrors.h"
#include "fileinfo.h"
#include "resolve.h"

namespace velmora {
namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
// Where creation times were kept before they moved into "user.DOSATTRIB"; still read.
constexpr const char* kOlderCreation = "user.velmora.btime";
constexpr std::uint32_t kDosInfoAttrib = 0x1;  // valid-field flags of the binary record
constexpr std::uint32_t kDosInfoCreation = 0x10;

std::string procPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Descriptors opened for no access (O_PATH) cannot carry xattr calls; their /proc path can.
template <class FdCall, class PathCall>
auto onFile(FileRef file, FdCall fdCall, PathCall pathCall) {
    if (file.fd < 0) return pathCall(file.path);
    auto result = fdCall(file.fd);
    if (result < 0 && errno == EBADF) result = pathCall(procPath(file.fd).c_str());
    return result;
}

bool noUserXattrs(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string_view baseName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

ssize_t readXattr(FileRef file, const char* name, void* value, std::size_t size) {
    return onFile(
        file, [&](int fd) { return fgetxattr(fd, name, value, size); },
        [&](const char* path) { return getxattr(path, name, value, size); });
}

int writeXattr(FileRef file, const char* name, const void* value, std::size_t size) {
    return onFile(
        file, [&](int fd) { return fsetxattr(fd, name, value, size, 0); },
        [&](const char* path) { return setxattr(path, name, value, size, 0); });
}

int removeXattr(FileRef file, const char* name) {
    return onFile(
        file, [&](int fd) { return fremovexattr(fd, name); },
        [&](const char* path) { return removexattr(path, name); });
}

ssize_t listXattrs(FileRef file, char* names, std::size_t size) {
    return onFile(
        file, [&](int fd) { return flistxattr(fd, names, size); },
        [&](const char* path) { return listxattr(path, names, size); });
}

StoredInfo parseDosInfo(const void* value, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(value);
    StoredInfo info;
    std::size_t at = 0;  // where the binary record starts
    if (size >= 2 && bytes[0] == '0' && (bytes[1] == 'x' || bytes[1] == 'X')) {
        const auto* end = static_cast<const unsigned char*>(std::memchr(bytes, 0, size));
        const std::size_t textEnd = end ? static_cast<std::size_t>(end - bytes) : size;
        const std::string text(reinterpret_cast<const char*>(bytes) + 2, textEnd - 2);
        info.attributes = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 16)) & kStoredAttributes;
        if (!end) return info;
        at = (static_cast<std::size_t>(end - bytes) + 2) & ~std::size_t{1};  // past the NUL, 2-aligned
        if (size < at + 4) return info;                                      // the text alone
    } else if (size >= 1 && bytes[0] == 0) {
        at = 2;  // an empty text, then the record
    }
    if (size < at + 4) return info;
    // The record: version (2 bytes), the union's level (2 bytes), then at the next 4-byte boundary the
    // version's fields. Versions 1 and 2 (a flags word first) always carry a creation time; 3 to 5 carry
    // a word of valid-field flags, 0x10 marking the creation time.
    const unsigned version = bytes[at] | (bytes[at + 1] << 8);
    const std::size_t body = (at + 4 + 3) & ~std::size_t{3};
    struct Layout {
        std::size_t attrib, creation;
        bool flagged;
    };
    Layout layout{};
    switch (version) {
        case 1:
            layout = {0, 24, false};
            break;
        case 2:
            layout = {4, 28, false};
            break;
        case 3:
            layout = {4, 28, true};
            break;
        case 4:
            layout = {4, 16, true};
            break;
        case 5:
            layout = {4, 8, true};
            break;
        default:
            return StoredInfo{};
    }
    if (size < body + layout.attrib + 4) return StoredInfo{};
    info.attributes = littleEndian32(bytes + body + layout.attrib) & kStoredAttributes;
    const bool marked = !layout.flagged || (littleEndian32(bytes + body) & kDosInfoCreation);
    if (marked && size >= body + layout.creation + 8) {
        const std::uint32_t low = littleEndian32(bytes + body + layout.creation);
        const std::uint32_t high = littleEndian32(bytes + body + layout.creation + 4);
        info.hasCreation = low != 0 || high != 0;
        info.creation = FILETIME{low, high};
    }
    return info;
}

DWORD parseDosAttrib(const void* value, std::size_t size) {
    return parseDosInfo(value, size).attributes;
}

std::size_t composeDosInfo(const StoredInfo& info, unsigned char (&value)[24]) {
    std::memset(value, 0, sizeof value);
    const auto put32 = [&](std::size_t at, std::uint32_t word) {
        for (int i = 0; i < 4; ++i) value[at + i] = static_cast<unsigned char>(word >> (8 * i));
    };
    value[2] = value[4] = 5;  // empty text, version 5, level 5
    put32(8, kDosInfoAttrib | (info.hasCreation ? kDosInfoCreation : 0));
    put32(12, info.attributes & kStoredAttributes);
    put32(16, info.creation.dwLowDateTime);
    put32(20, info.creation.dwHighDateTime);
    return sizeof value;
}

namespace {

// listxattrat (Linux 6.13): the names of a folder entry's extended attributes without walking its path
// again. Not in the C library yet, hence by number; -1 with ENOSYS where the kernel lacks it or a sandbox
// refuses it (EPERM from a system-call filter), which is then not asked again.
#if defined(SYS_listxattrat)
constexpr long kListXattrAt = SYS_listxattrat;
#elif defined(__x86_64__) || defined(__aarch64__)
constexpr long kListXattrAt = 465;
#else
constexpr long kListXattrAt = -1;
#endif

ssize_t listXattrsAt(int folderFd, const char* name, char* names, std::size_t size) {
    static std::atomic<bool> missing{kListXattrAt < 0};
    if (!missing.load(std::memory_order_relaxed)) {
        const long length = syscall(kListXattrAt, folderFd, name, 0, names, size);
        if (length >= 0 || (errno != ENOSYS && errno != EPERM)) return length;
        missing = true;
    }
    errno = ENOSYS;
    return -1;
}

StoredInfo storedInfoFrom(FileRef file, const char* names, ssize_t length) {
    if (length == 0 || (length < 0 && errno != ERANGE)) return StoredInfo{};
    bool dos = length < 0, older = length < 0;  // too many to list: look for both
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        dos = dos || std::strcmp(names + at, kDosAttrib) == 0;
        older = older || std::strcmp(names + at, kOlderCreation) == 0;
    }
    StoredInfo info;
    unsigned char value[256];
    if (dos) {
        const ssize_t size = readXattr(file, kDosAttrib, value, sizeof value);
        if (size > 0) info = parseDosInfo(value, static_cast<std::size_t>(size));
    }
    if (older && !info.hasCreation && readXattr(file, kOlderCreation, value, 8) == 8) {
        // 8 bytes, little-endian ticks
        info.hasCreation = true;
        info.creation = FILETIME{littleEndian32(value), littleEndian32(value + 4)};
    }
    return info;
}

}  // namespace

StoredInfo readStoredInfo(FileRef file) {
    char names[512];
    const ssize_t length = listXattrs(file, names, sizeof names);
    return storedInfoFrom(file, names, length);
}

StoredInfo readStoredInfoAt(int folderFd, const char* name, const char* path) {
    char names[512];
    ssize_t length = listXattrsAt(folderFd, name, names, sizeof names);
    // Any other failure is asked again by path, whose answer stands as before.
    if (length < 0 && errno != ERANGE) length = listXattrs({-1, path}, names, sizeof names);
    return storedInfoFrom({-1, path}, names, length);
}

DWORD readStoredAttributes(FileRef file) {
    unsigned char value[256];
    const ssize_t size = readXattr(file, kDosAttrib, value, sizeof value);
    return size > 0 ? parseDosAttrib(value, static_cast<std::size_t>(size)) : 0;
}

namespace {

StoredInfo storedDosInfo(FileRef file) {
    unsigned char value[256];
    const ssize_t size = readXattr(file, kDosAttrib, value, sizeof value);
    return size > 0 ? parseDosInfo(value, static_cast<std::size_t>(size)) : StoredInfo{};
}

}  // namespace

bool writeStoredAttributes(FileRef file, DWORD attributes) {
    attributes &= kStoredAttributes;
    StoredInfo info = storedDosInfo(file);
    int result = 0;
    if (info.hasCreation) {
        info.attributes = attributes;
        unsigned char value[24];
        result = writeXattr(file, kDosAttrib, value, composeDosInfo(info, value));
    } else if (attributes == 0) {
        result = removeXattr(file, kDosAttrib);
        if (result != 0 && errno == ENODATA) result = 0;
    } else {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(attributes));
        result = writeXattr(file, kDosAttrib, text, static_cast<std::size_t>(length));
    }
    return result == 0 || noUserXattrs(errno);
}

bool writeStoredCreation(FileRef file, const FILETIME& creation) {
    StoredInfo info = readStoredInfo(file);
    info.hasCreation = true;
    info.creation = creation;
    unsigned char value[24];
    if (writeXattr(file, kDosAttrib, value, composeDosInfo(info, value)) != 0) return noUserXattrs(errno);
    removeXattr(file, kOlderCreation);  // absent as a rule
    return true;
}

DWORD attributesFrom(mode_t mode, DWORD stored, std::string_view nativePath) {
    DWORD attributes = stored & kStoredAttributes;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if ((mode & 0222) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    const std::string_view name = baseName(nativePath);
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace velmora

using namespace velmora;

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    std::string native;
    if (!lpFileName || !resolveSuitePath(lpFileName, native)) {
        if (!lpFileName) SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) {
        failWith(errno, native);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesFrom(st, readStoredAttributes({-1, native.c_str()}), native);
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    std::string native;
    if (!lpFileName) return failWith(ENOENT);
    if (!resolveSuitePath(lpFileName, native)) return FALSE;
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) return failWith(errno, native);
    if (!S_ISDIR(st.st_mode)) {
        const bool readOnly = dwFileAttributes & FILE_ATTRIBUTE_READONLY;
        const mode_t mode = readOnly              ? (st.st_mode & ~0222)
                            : (st.st_mode & 0222) ? st.st_mode
                                                  : st.st_mode | S_IWUSR;
        if (mode != st.st_mode && chmod(native.c_str(), mode & 07777) != 0) return failWith(errno, native);
    }
    if (!writeStoredAttributes({-1, native.c_str()}, dwFileAttributes)) return failWith(errno, native);
    return TRUE;
}
