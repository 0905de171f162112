// What a path names itself, a symbolic link not followed: for walks that must never leave the tree they
// were given (links, other file systems) and must never open a pipe or a device.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

enum class EntryKind { Missing, File, Folder, Link, Other };  // Other: a FIFO, device node or socket

struct EntryInfo {
    EntryKind kind = EntryKind::Missing;
    std::uint64_t device = 0;  // the file system it lives on
    std::uint64_t inode = 0;
    std::uint64_t size = 0;  // of a regular file; 0 for everything else
};

// The entry at a suite or POSIX path (as the file calls take them); a trailing separator is ignored, so
// "link\" is still the link. Missing when it cannot be examined.
EntryInfo entryOf(const std::string& path);

// True when path, read as a POSIX path exactly as it stands, names an entry and holds a '\': a name the
// suite's paths cannot carry (they read '\' as a separator, so the same text would name another entry).
// Callers given such a path leave the entry alone and say so.
bool namesBackslashEntry(std::string_view path);

}  // namespace velmora
