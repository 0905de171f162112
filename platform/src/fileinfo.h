// Facts about a file that several file calls read: stored attributes and times.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
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
ssize_t listXattrs(FileRef file, char* names, std::size_t size);

// The attributes kept in "user.DOSATTRIB".
constexpr DWORD kStoredAttributes = 0x2 | 0x4 | 0x20 | 0x100;  // hidden, system, archive, temporary

// What a file keeps in extended attributes: its stored attributes and, when one was set, its creation time.
struct StoredInfo {
    DWORD attributes = 0;
    bool hasCreation = false;
    FILETIME creation{};
};

// Decodes a "user.DOSATTRIB" value: the text "0x<hex>" (optionally followed, after its NUL, by the binary
// record), the binary versioned record behind an empty text, or the record alone. Versions 1 to 5 give
// the attributes, and the creation time where the record marks one. Garbage and short values give none.
StoredInfo parseDosInfo(const void* value, std::size_t size);
DWORD parseDosAttrib(const void* value, std::size_t size);
// The binary record (version 5) holding attributes and creation time.
std::size_t composeDosInfo(const StoredInfo& info, unsigned char (&value)[24]);
// Reads what a file stores: one listing of its extended attributes, which for a file without any is all,
// then "user.DOSATTRIB" and, where that holds no creation time, the older "user.velmora.btime". Nothing
// where the file system keeps no user xattrs.
StoredInfo readStoredInfo(FileRef file);
// The same for the entry `name` of the open folder folderFd (full path `path`, links followed), listing
// its attributes relative to the folder where the kernel can.
StoredInfo readStoredInfoAt(int folderFd, const char* name, const char* path);
DWORD readStoredAttributes(FileRef file);
// Stores (or, for 0, removes) the attributes, keeping a stored creation time. True on success and where
// the file system has no user xattrs.
bool writeStoredAttributes(FileRef file, DWORD attributes);
// Stores the creation time in "user.DOSATTRIB" beside the attributes; the older attribute goes.
bool writeStoredCreation(FileRef file, const FILETIME& creation);
// The full attribute set of a file from its mode, stored attributes and name.
DWORD attributesFrom(mode_t mode, DWORD stored, std::string_view nativePath);
inline DWORD attributesFrom(const struct stat& st, DWORD stored, std::string_view nativePath) {
    return attributesFrom(st.st_mode, stored, nativePath);
}

struct FileTimes {
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};
// A file's three times (see filetime.h for where the creation time comes from); false with errno.
bool readFileTimes(FileRef file, FileTimes& times);

// What a listing tells of one entry, from one statx (links followed; a dangling link named by path is
// taken as itself) and one readStoredInfo.
struct FileFacts {
    mode_t mode = 0;
    std::uint64_t size = 0;
    FileTimes times{};
    DWORD stored = 0;
    dev_t device = 0;  // as st_dev
    std::uint64_t inode = 0;
    std::uint32_t links = 0;
};
bool readFileFacts(FileRef file, FileFacts& facts);
// The same for the entry `name` of the open folder folderFd (its full path: `path`), one statx relative to
// the folder where it is no symbolic link; `link` tells whether it is one.
bool readEntryFacts(int folderFd, const char* name, const char* path, FileFacts& facts, bool& link);
FILETIME toFileTime(const struct timespec& time);
struct timespec toTimespec(const FILETIME& time);

}  // namespace velmora
