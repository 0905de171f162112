// File attributes: permission bits, the "user.DOSATTRIB" extended attribute and dot-names.
#include "platform/attributes.h"

#include <sys/xattr.h>

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

DWORD parseDosAttrib(const void* value, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(value);
    if (size >= 2 && bytes[0] == '0' && (bytes[1] == 'x' || bytes[1] == 'X')) {
        std::string text(reinterpret_cast<const char*>(bytes) + 2, size - 2);
        return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 16)) & kStoredAttributes;
    }
    if (size < 4) return 0;
    // Binary record: version (2 bytes), the union's level (2 bytes), then for versions 1 and 2 the
    // attribute dword, for versions 3 to 5 a dword of valid-field flags followed by it.
    const unsigned version = bytes[0] | (bytes[1] << 8);
    const std::size_t offset = (version == 1 || version == 2) ? 4 : (version >= 3 && version <= 5) ? 8 : 0;
    if (offset == 0 || size < offset + 4) return 0;
    return littleEndian32(bytes + offset) & kStoredAttributes;
}

DWORD readStoredAttributes(FileRef file) {
    unsigned char value[256];
    const ssize_t size = readXattr(file, kDosAttrib, value, sizeof value);
    return size > 0 ? parseDosAttrib(value, static_cast<std::size_t>(size)) : 0;
}

bool writeStoredAttributes(FileRef file, DWORD attributes) {
    attributes &= kStoredAttributes;
    int result = 0;
    if (attributes == 0) {
        result = removeXattr(file, kDosAttrib);
        if (result != 0 && errno == ENODATA) result = 0;
    } else {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(attributes));
        result = writeXattr(file, kDosAttrib, text, static_cast<std::size_t>(length));
    }
    return result == 0 || noUserXattrs(errno);
}

DWORD attributesFrom(const struct stat& st, DWORD stored, std::string_view nativePath) {
    DWORD attributes = stored & kStoredAttributes;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if ((st.st_mode & 0222) == 0)
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
