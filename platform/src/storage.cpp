// Storage kinds from statfs and the block layer's sysfs attributes.
#include "platform/storage.h"

#include "platform/paths.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <fstream>

namespace velmora {

std::string fileSystemName(unsigned long magic) {
    switch (static_cast<std::uint32_t>(magic)) {
        case 0xEF53:
            return "ext4";  // ext2, ext3 and ext4 share the magic
        case 0x58465342:
            return "xfs";
        case 0x9123683E:
            return "btrfs";
        case 0x2FC12FC1:
            return "zfs";
        case 0xF2F52010:
            return "f2fs";
        case 0x3434:
            return "nilfs2";
        case 0xCA451A4E:
            return "bcachefs";
        case 0x72B6:
            return "jffs2";
        case 0x24051905:
            return "ubifs";
        case 0x01021994:
            return "tmpfs";
        case 0x794C7630:
            return "overlayfs";
        case 0x4D44:
            return "vfat";
        case 0x5346544E:
            return "ntfs";
        case 0x2011BAB0:
            return "exfat";
        case 0x6969:
            return "nfs";
        case 0xFF534D42:
            return "cifs";
        case 0xFE534D42:
            return "smb2";
        case 0x65735546:
            return "fuse";
        default:
            return {};
    }
}

bool isCopyOnWrite(const std::string& fileSystem) {
    for (const char* name : {"btrfs", "zfs", "f2fs", "nilfs2", "bcachefs", "jffs2", "ubifs"})
        if (fileSystem == name) return true;
    return false;
}

std::optional<bool> rotationalFlag(const std::string& sysRoot, unsigned deviceMajor, unsigned deviceMinor) {
    // /sys/dev/block/M:m links to the device; a partition has no queue/ of its own, its disk above it does.
    const std::string device =
        sysRoot + "/dev/block/" + std::to_string(deviceMajor) + ":" + std::to_string(deviceMinor);
    for (const char* relative : {"/queue/rotational", "/../queue/rotational"}) {
        std::ifstream flag(device + relative);
        char value = 0;
        if (flag >> value) return value != '0';
    }
    return std::nullopt;
}

StorageKind storageOf(const std::string& path, const std::string& sysRoot) {
    StorageKind kind;
    std::string nativePath;
    if (!suiteToNative(path, nativePath)) return kind;
    while (nativePath.size() > 1 && nativePath.back() == '/') nativePath.pop_back();
    struct stat st {};
    if (::lstat(nativePath.c_str(), &st) != 0) return kind;
    // A link is examined where it lives, not where it points: only the link itself is ever touched.
    std::string examined = nativePath;
    if (S_ISLNK(st.st_mode)) {
        examined = containingFolder(nativePath);
        if (::stat(examined.c_str(), &st) != 0) return kind;
    }
    struct statfs fs {};
    if (::statfs(examined.c_str(), &fs) == 0)
        kind.fileSystem = fileSystemName(static_cast<unsigned long>(fs.f_type));
    kind.copyOnWrite = isCopyOnWrite(kind.fileSystem);
    if (const auto rotational = rotationalFlag(sysRoot, ::major(st.st_dev), ::minor(st.st_dev)))
        kind.nonRotational = !*rotational;
    return kind;
}

}  // namespace velmora
