// Storage kinds: the file-system table, the rotational flag read from a sysfs tree laid out as the kernel
// lays it out (a disk with its partition), the kind of a real folder, and running a program to its end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/attributes.h"
#include "platform/entry.h"
#include "platform/process.h"
#include "platform/shortnames.h"
#include "platform/storage.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

fs::path scratch(const char* name) {
    const fs::path folder = fs::path(std::getenv("VELMORA_TEST_SANDBOX")) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TEST(Storage, FileSystemsThatNeverOverwriteInPlaceAreCopyOnWrite) {
    const struct {
        unsigned long magic;
        const char* name;
        bool copyOnWrite;
    } cases[] = {{0x9123683E, "btrfs", true}, {0x2FC12FC1, "zfs", true},      {0xF2F52010, "f2fs", true},
                 {0x3434, "nilfs2", true},    {0xCA451A4E, "bcachefs", true}, {0xEF53, "ext4", false},
                 {0x58465342, "xfs", false},  {0x01021994, "tmpfs", false},   {0x12345678, "", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(fileSystemName(c.magic), c.name) << std::hex << c.magic;
        EXPECT_EQ(isCopyOnWrite(fileSystemName(c.magic)), c.copyOnWrite) << c.name;
    }
}

TEST(Storage, APartitionAsksItsDiskForTheRotationalFlag) {
    const fs::path sys = scratch("sys");
    const fs::path disk = sys / "devices/pci/block/sda", part = disk / "sda1";
    const fs::path flash = sys / "devices/pci/block/nvme0n1";
    fs::create_directories(disk / "queue");
    fs::create_directories(part);
    fs::create_directories(flash / "queue");
    std::ofstream(disk / "queue/rotational") << "1\n";
    std::ofstream(flash / "queue/rotational") << "0\n";
    fs::create_directories(sys / "dev/block");
    fs::create_directory_symlink("../../devices/pci/block/sda", sys / "dev/block/8:0");
    fs::create_directory_symlink("../../devices/pci/block/sda/sda1", sys / "dev/block/8:1");
    fs::create_directory_symlink("../../devices/pci/block/nvme0n1", sys / "dev/block/259:0");
    EXPECT_EQ(rotationalFlag(sys, 8, 0), true);
    EXPECT_EQ(rotationalFlag(sys, 8, 1), true);
    EXPECT_EQ(rotationalFlag(sys, 259, 0), false);
    EXPECT_EQ(rotationalFlag(sys, 0, 42), std::nullopt);  // no block device behind it
}

TEST(Storage, ARealFolderReportsItsFileSystemAndALinkIsExaminedWhereItLives) {
    const fs::path folder = scratch("kind");
    struct statfs info {};
    ASSERT_EQ(::statfs(folder.c_str(), &info), 0);
    const StorageKind kind = storageOf(folder.string());
    EXPECT_EQ(kind.fileSystem, fileSystemName(static_cast<unsigned long>(info.f_type)));
    EXPECT_EQ(kind.copyOnWrite, isCopyOnWrite(kind.fileSystem));
    // A dangling link still has a place; a missing path has no kind at all.
    fs::create_symlink("/nowhere/at/all", folder / "link");
    EXPECT_EQ(storageOf((folder / "link").string()).fileSystem, kind.fileSystem);
    EXPECT_EQ(storageOf((folder / "missing").string()).fileSystem, "");
}

TEST(Process, RunToEndGivesTheExitStatus) {
    EXPECT_EQ(runToEnd({"/bin/sh", "-c", "exit 0"}), 0);
    EXPECT_EQ(runToEnd({"/bin/sh", "-c", "exit 7"}), 7);
    EXPECT_EQ(runToEnd({"/bin/sh", "-c", "kill -9 $$"}), -1);
    EXPECT_EQ(runToEnd({"/no/such/program"}), -1);
    EXPECT_EQ(runToEnd({}), -1);
}

}  // namespace

namespace {

TEST(Entry, EachKindIsWhatThePathNamesItselfNeverWhatALinkPointsTo) {
    const fs::path folder = scratch("entries");
    std::ofstream(folder / "file") << "12345";
    fs::create_directory(folder / "dir");
    fs::create_symlink(folder / "file", folder / "link");
    fs::create_directory_symlink(folder / "dir", folder / "dirlink");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const struct {
        const char* name;
        EntryKind kind;
        std::uint64_t size;
    } cases[] = {{"file", EntryKind::File, 5},    {"dir", EntryKind::Folder, 0},
                 {"dir/", EntryKind::Folder, 0},  {"link", EntryKind::Link, 0},
                 {"dirlink", EntryKind::Link, 0}, {"dirlink/", EntryKind::Link, 0},
                 {"fifo", EntryKind::Other, 0},   {"missing", EntryKind::Missing, 0}};
    for (const auto& c : cases) {
        const EntryInfo info = entryOf((folder / "").string() + c.name);
        EXPECT_EQ(info.kind, c.kind) << c.name;
        EXPECT_EQ(info.size, c.size) << c.name;
    }
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(entryOf(folder.string()).device, static_cast<std::uint64_t>(st.st_dev));
    EXPECT_EQ(entryOf(folder.string()).inode, static_cast<std::uint64_t>(st.st_ino));
    // Suite paths name the same entry.
    EXPECT_EQ(entryOf("Z:" + (folder / "file").string()).kind, EntryKind::File);
}

// As the file calls take a name: a short name stands for its long one; followed, a name is found exactly
// when GetFileAttributesA finds it.
TEST(Entry, FileEntriesTakeShortNamesAndFollowLinksWhenAsked) {
    const fs::path folder = scratch("file-entries");
    std::ofstream(folder / "a rather long name.txt") << "12345";
    fs::create_directory(folder / "dir");
    fs::create_symlink(folder / "a rather long name.txt", folder / "link");
    fs::create_symlink(folder / "gone", folder / "dangling");
    char shortName[1024] = {};
    ASSERT_GT(GetShortPathNameA((folder / "a rather long name.txt").c_str(), shortName, sizeof shortName),
              0u);
    ASSERT_NE(std::string(shortName).find('~'), std::string::npos);
    EXPECT_EQ(entryOf(shortName).kind, EntryKind::Missing);
    EXPECT_EQ(fileEntryOf(shortName).kind, EntryKind::File);
    EXPECT_EQ(fileEntryOf(shortName).size, 5u);
    EXPECT_EQ(fileEntryOf((folder / "dangling").string()).kind, EntryKind::Link);  // the name is taken
    EXPECT_EQ(fileEntryOf((folder / "link").string(), true).kind, EntryKind::File);
    const std::string paths[] = {shortName,
                                 (folder / "a rather long name.txt").string(),
                                 (folder / "a rather long name.txt/").string(),
                                 (folder / "dir").string(),
                                 (folder / "dir/").string(),
                                 (folder / "link").string(),
                                 (folder / "dangling").string(),
                                 (folder / "missing").string()};
    for (const std::string& path : paths)
        EXPECT_EQ(fileEntryOf(path, true).kind != EntryKind::Missing,
                  GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            << path;
}

}  // namespace
