// What kind of storage holds a file, for callers that must tell a user where overwriting in place cannot
// reach the old data: copy-on-write and log-structured file systems write changes to new places, and flash
// devices remap writes to fresh cells.
#pragma once

#include <optional>
#include <string>

namespace velmora {

struct StorageKind {
    std::string fileSystem;  // the kernel's name for the file system type ("ext4", "btrfs", ...), "" unknown
    bool copyOnWrite = false;    // btrfs, ZFS, F2FS, NILFS2, bcachefs, JFFS2, UBIFS
    bool nonRotational = false;  // the block device under it says it has no rotating platters
};

// The file system name of a statfs magic number, "" for one this table does not know.
std::string fileSystemName(unsigned long magic);
// Whether a file system of that name never overwrites a block in place.
bool isCopyOnWrite(const std::string& fileSystem);

// The rotational flag of block device major:minor under a sysfs root (normally "/sys"): its own
// queue/rotational, or its parent disk's for a partition. Nothing when neither exists (no block device:
// tmpfs, btrfs's anonymous devices, network file systems).
std::optional<bool> rotationalFlag(const std::string& sysRoot, unsigned deviceMajor, unsigned deviceMinor);

// The storage of the file or folder at a suite or POSIX path (a symbolic link is examined where it lives,
// not followed); an empty kind when the path cannot be examined.
StorageKind storageOf(const std::string& path, const std::string& sysRoot = "/sys");

}  // namespace velmora
