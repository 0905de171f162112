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
// The same, with a short (8.3) name standing for its long one as it does in the file calls, in one lstat
// where GetFileAttributesA needs more: whether a name is taken at all (a dangling link takes it too). With
// followLinks, what the name leads to (one stat: a link's target, Missing for a dangling link; a trailing
// separator asks for a folder), found exactly when GetFileAttributesA finds it.
EntryInfo fileEntryOf(const std::string& path, bool followLinks = false);

// True when path, read as a POSIX path exactly as it stands, names an entry and holds a '\': a name the
// suite's paths cannot carry (they read '\' as a separator, so the same text would name another entry).
// Callers given such a path leave the entry alone and say so.
bool namesBackslashEntry(std::string_view path);

}  // namespace velmora
