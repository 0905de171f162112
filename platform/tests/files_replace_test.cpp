// The one way the suite replaces a file's contents: nothing the user had is lost, whatever fails or
// whenever the process dies.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <vector>

#include "FileTestSupport.h"
#include "platform/ReplacementFile.h"

using velmora::ReplacementFile;
namespace fs = std::filesystem;

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class Replacement : public FileTest, public ::testing::WithParamInterface<ReplacementFile::Staging> {
  protected:
    bool replace(const std::string& name, const std::string& contents,
                 ReplacementFile::NewFile newFile = ReplacementFile::NewFile::Shared) {
        ReplacementFile file;
        return file.open(suite(name), newFile, GetParam()) && file.write(bytesOf(contents)) && file.commit();
    }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(m_folder)) result.insert(entry.path().filename());
        return result;
    }
    unsigned modeOf(const std::string& name) const {
        struct stat info {};
        return ::lstat(native(name).c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
};

TEST_P(Replacement, NewContentsTakeTheOldFilesPlaceAndItsPermissions) {
    write("doc.txt", std::string(5000, 'o'));
    ::chmod(native("doc.txt").c_str(), 0640);
    ASSERT_TRUE(replace("doc.txt", "new"));
    EXPECT_EQ(read("doc.txt"), "new");
    EXPECT_EQ(modeOf("doc.txt"), 0640u);
    EXPECT_EQ(names(), std::set<std::string>{"doc.txt"});
}

TEST_P(Replacement, ANewFileNeverTakesThePlaceOfOneThatAppearedMeanwhile) {
    ReplacementFile file;
    ASSERT_TRUE(file.open(suite("result.zqf"), ReplacementFile::NewFile::Shared, GetParam()));
    ASSERT_TRUE(file.write(bytesOf("ours")));
    write("result.zqf", "another run's");
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(read("result.zqf"), "another run's");
    EXPECT_EQ(names(), std::set<std::string>{"result.zqf"});
}

TEST_P(Replacement, NewFilesAreSharedOrOwnerOnlyAsAsked) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replace("shared.bin", "a"));
    ASSERT_TRUE(replace("plain.txt", "secret", ReplacementFile::NewFile::OwnerOnly));
    ::umask(mask);
    EXPECT_EQ(modeOf("shared.bin"), 0644u);
    EXPECT_EQ(modeOf("plain.txt"), 0600u);
}

TEST_P(Replacement, AnUncommittedReplacementLeavesTheDestinationAndNoTrace) {
    write("doc.txt", "old");
    {
        ReplacementFile file;
        ASSERT_TRUE(file.open(suite("doc.txt"), ReplacementFile::NewFile::Shared, GetParam()));
        ASSERT_TRUE(file.write(bytesOf("half of the new")));
    }
    EXPECT_EQ(read("doc.txt"), "old");
    EXPECT_EQ(names(), std::set<std::string>{"doc.txt"});
}

TEST_P(Replacement, FoldersReadOnlyFilesAndLinksAreRefusedUntouched) {
    fs::create_directory(native("folder"));
    write("locked.txt", "keep");
    ::chmod(native("locked.txt").c_str(), 0444);
    write("target.txt", "target");
    fs::create_symlink(native("target.txt"), native("link.txt"));
    for (const char* name : {"folder", "locked.txt", "link.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(replace(name, "x"));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(read("locked.txt"), "keep");
    EXPECT_EQ(read("target.txt"), "target");
    EXPECT_TRUE(fs::is_symlink(native("link.txt")));
    EXPECT_EQ(names(), (std::set<std::string>{"folder", "link.txt", "locked.txt", "target.txt"}));
}

TEST_P(Replacement, AnOpenThatDoesNotShareDeleteKeepsTheFile) {
    write("doc.txt", "old");
    Handle holder(CreateFileA(suite("doc.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(replace("doc.txt", "new"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    holder.close();
    EXPECT_EQ(read("doc.txt"), "old");
}

TEST_P(Replacement, AMissingFolderIsPathNotFound) {
    EXPECT_FALSE(replace("no/such/doc.txt", "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

INSTANTIATE_TEST_SUITE_P(Staging, Replacement,
                         ::testing::Values(ReplacementFile::Staging::Unnamed,
                                           ReplacementFile::Staging::Named),
                         [](const auto& tested) {
                             return tested.param == ReplacementFile::Staging::Unnamed ? "Unnamed" : "Named";
                         });

// A process killed in the middle of a long write leaves the old file as it was and nothing beside it.
TEST_F(FileTest, AProcessKilledWhileWritingLeavesNothingBehind) {
    write("doc.txt", "old");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        ReplacementFile file;
        const std::vector<std::uint8_t> block(1 << 20, 0x5a);
        if (!file.open(suite("doc.txt"), ReplacementFile::NewFile::Shared) || !file.write(block)) _exit(1);
        (void)!::write(ready[1], "w", 1);
        for (;;) pause();  // killed here, mid-replacement
    }
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(read("doc.txt"), "old");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_folder)) left.insert(entry.path().filename());
    EXPECT_EQ(left, std::set<std::string>{"doc.txt"});
}

// Across file systems (/dev/shm is tmpfs) the staging file lives beside the destination.
TEST_F(FileTest, ReplacesOnAnotherFileSystem) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    char pattern[] = "/dev/shm/velmora-replaceXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    ReplacementFile file;
    const std::string text = "on tmpfs";
    const bool done =
        file.open(velmora::toSuitePath(folder + "/a.txt"), ReplacementFile::NewFile::OwnerOnly) &&
        file.write(bytesOf(text)) && file.commit();
    std::ifstream in(folder + "/a.txt");
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    fs::remove_all(folder);
    EXPECT_TRUE(done);
    EXPECT_EQ(got, text);
}

}  // namespace
