// Facts about a file that several file calls read: stored attributes and times.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string_view>

#include "platform/win32types.h"

namespace velmora {

// Names one file: an open descriptor when fd >= 0, else a path (symbolic links followed).
struct FileRef {
    int fd = -1;
    const char* path = nullptr;
};

// Extended-attribute calls on a FileRef (descriptor or path), with errno as the system calls set it.
ssize_t readXattr(FileRef file, const char* name, void* value, std::size_t size);
int writeXattr(FileRef file, const char* name, const void* value, std::size_t size);
int removeXattr(FileRef file, const char* name);

// The attributes kept in "user.DOSATTRIB".
constexpr DWORD kStoredAttributes = 0x2 | 0x4 | 0x20 | 0x100;  // hidden, system, archive, temporary

// Decodes a "user.DOSATTRIB" value: the text "0x<hex>" or the binary versioned record. Garbage and short
// values give 0.
DWORD parseDosAttrib(const void* value, std::size_t size);
// The stored attributes of a file; 0 where there are none or the file system keeps no user xattrs.
DWORD readStoredAttributes(FileRef file);
// Stores (or, for 0, removes) them. True on success and where the file system has no user xattrs.
bool writeStoredAttributes(FileRef file, DWORD attributes);
// The full attribute set of a file from its status, stored attributes and name.
DWORD attributesFrom(const struct stat& st, DWORD stored, std::string_view nativePath);

struct FileTimes {
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};
// A file's three times (see filetime.h for where the creation time comes from); false with errno.
bool readFileTimes(FileRef file, FileTimes& times);
FILETIME toFileTime(const struct timespec& time);
struct timespec toTimespec(const FILETIME& time);

}  // namespace velmora
