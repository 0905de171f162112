// Deleting, moving and copying files, folders, temporary names, OpenFile and CharLowerA.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "FileTestSupport.h"
#include "platform/attributes.h"
#include "platform/charcase.h"
#include "platform/fileops.h"
#include "platform/filetime.h"
#include "platform/tempfiles.h"

namespace {

using FileOpsTest = FileTest;

DWORD outcome(BOOL ok) {
    return ok ? ERROR_SUCCESS : GetLastError();
}

TEST_F(FileOpsTest, DeleteFileFollowsWin32) {
    write("ro", "x");
    chmod(native("ro").c_str(), 0444);
    std::filesystem::create_directory(native("d"));
    const struct {
        const char* name;
        DWORD error;
    } cases[] = {
        {"missing", ERROR_FILE_NOT_FOUND},
        {"no\\f", ERROR_PATH_NOT_FOUND},
        {"d", ERROR_ACCESS_DENIED},
        {"ro", ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) EXPECT_EQ(outcome(DeleteFileA(suite(c.name).c_str())), c.error) << c.name;
    EXPECT_TRUE(exists("ro"));
    EXPECT_TRUE(exists("d"));
}

TEST_F(FileOpsTest, DeleteFileHonoursOpenHandles) {
    write("f", "data");
    {
        Handle h(CreateFileA(suite("f").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr));
        EXPECT_EQ(outcome(DeleteFileA(suite("f").c_str())), ERROR_SHARING_VIOLATION);
        EXPECT_TRUE(exists("f"));
    }
    Handle h(CreateFileA(suite("f").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(outcome(DeleteFileA(suite("f").c_str())), ERROR_SUCCESS);
    EXPECT_FALSE(exists("f"));
    char buffer[4];
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(h.get(), buffer, 4, &count, nullptr));  // the open handle still reads
    EXPECT_EQ(std::string(buffer, count), "data");
}

TEST_F(FileOpsTest, MoveFileNeverReplaces) {
    write("a", "A");
    write("b", "B");
    EXPECT_EQ(outcome(MoveFileA(suite("a").c_str(), suite("b").c_str())), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(read("b"), "B");
    EXPECT_EQ(outcome(MoveFileA(suite("a").c_str(), suite("c").c_str())), ERROR_SUCCESS);
    EXPECT_EQ(read("c"), "A");
    EXPECT_FALSE(exists("a"));
    EXPECT_EQ(outcome(MoveFileA(suite("missing").c_str(), suite("x").c_str())), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(outcome(MoveFileA(suite("c").c_str(), suite("no\\x").c_str())), ERROR_PATH_NOT_FOUND);

    std::filesystem::create_directories(native("d/inner"));
    EXPECT_EQ(outcome(MoveFileA(suite("d").c_str(), suite("e").c_str())), ERROR_SUCCESS);
    EXPECT_TRUE(exists("e/inner"));

    Handle h(
        CreateFileA(suite("c").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(outcome(MoveFileA(suite("c").c_str(), suite("z").c_str())), ERROR_SHARING_VIOLATION);
}

TEST_F(FileOpsTest, CopyFileCopiesDataModeAttributesAndWriteTime) {
    write("src", std::string(100000, 's'));
    chmod(native("src").c_str(), 0640);
    ASSERT_TRUE(SetFileAttributesA(suite("src").c_str(), FILE_ATTRIBUTE_HIDDEN));
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, native("src").c_str(), times, 0), 0);

    ASSERT_EQ(outcome(CopyFileA(suite("src").c_str(), suite("dst").c_str(), TRUE)), ERROR_SUCCESS);
    EXPECT_EQ(read("dst"), read("src"));
    struct stat st {};
    ASSERT_EQ(stat(native("dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(GetFileAttributesA(suite("dst").c_str()), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileOpsTest, CopyFileRefusalsFollowWin32) {
    write("src", "new");
    write("dst", "old");
    write("ro", "old");
    chmod(native("ro").c_str(), 0444);
    const struct {
        const char* from;
        const char* to;
        BOOL failIfExists;
        DWORD error;
    } cases[] = {
        {"src", "dst", TRUE, ERROR_FILE_EXISTS},        {"src", "ro", FALSE, ERROR_ACCESS_DENIED},
        {"src", "src", FALSE, ERROR_SHARING_VIOLATION}, {"missing", "x", FALSE, ERROR_FILE_NOT_FOUND},
        {"src", "no\\x", FALSE, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome(CopyFileA(suite(c.from).c_str(), suite(c.to).c_str(), c.failIfExists)), c.error)
            << c.from << " -> " << c.to;
    EXPECT_EQ(read("dst"), "old");
    EXPECT_EQ(read("ro"), "old");
    EXPECT_EQ(read("src"), "new");
    for (const auto& entry : std::filesystem::directory_iterator(m_folder))  // no half-written copies left
        EXPECT_EQ(entry.path().filename().string().find(".velmora-copy"), std::string::npos);
}

TEST_F(FileOpsTest, CopyFileReplacesTheTargetOnlyWhenTheCopyIsComplete) {
    write("src", "new content");
    write("dst", "old content");
    // A reader of the old target keeps seeing it whole: it was replaced, never truncated in place.
    Handle reader(CreateFileA(suite("dst").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              0, nullptr));
    ASSERT_EQ(outcome(CopyFileA(suite("src").c_str(), suite("dst").c_str(), FALSE)), ERROR_SUCCESS);
    char buffer[32];
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(reader.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "old content");
    EXPECT_EQ(read("dst"), "new content");

    // A target held without write sharing is not replaced.
    Handle holder(
        CreateFileA(suite("src").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    write("other", "other");
    EXPECT_EQ(outcome(CopyFileA(suite("other").c_str(), suite("src").c_str(), FALSE)),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(read("src"), "new content");
}

TEST_F(FileOpsTest, FoldersAreCreatedAndRemovedOneAtATime) {
    const struct {
        BOOL (*call)(const char*);
        const char* path;
        DWORD error;
    } steps[] = {
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "d", ERROR_SUCCESS},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "d", ERROR_ALREADY_EXISTS},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "x\\y", ERROR_PATH_NOT_FOUND},
        {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "d\\e", ERROR_SUCCESS},
        {RemoveDirectoryA, "d", ERROR_DIR_NOT_EMPTY},
        {RemoveDirectoryA, "d\\e", ERROR_SUCCESS},
        {RemoveDirectoryA, "d\\e", ERROR_FILE_NOT_FOUND},
        {RemoveDirectoryA, "file", ERROR_DIRECTORY},
        {RemoveDirectoryA, "d", ERROR_SUCCESS},
    };
    write("file", "x");
    for (const auto& step : steps)
        EXPECT_EQ(outcome(step.call(suite(step.path).c_str())), step.error) << step.path;
    EXPECT_FALSE(exists("d"));
}

TEST_F(FileOpsTest, TempPathIsADrivePathEndingInASeparator) {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    const std::string expected = velmora::toSuitePath(std::getenv("TMPDIR")) + "\\";
    EXPECT_EQ(std::string(buffer, length), expected);
    EXPECT_EQ(GetTempPathA(3, buffer), expected.size() + 1);
}

TEST_F(FileOpsTest, TempFileNamesAreUniqueAndCreated) {
    char first[MAX_PATH], second[MAX_PATH];
    const UINT a = GetTempFileNameA(suite("").c_str(), "velmora", 0, first);
    const UINT b = GetTempFileNameA(suite("").c_str(), "vel", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_STRNE(first, second);
    EXPECT_EQ(GetFileAttributesA(first), FILE_ATTRIBUTE_NORMAL);
    char expected[MAX_PATH];
    std::snprintf(expected, sizeof expected, "%s\\vel%X.TMP",
                  suite("").substr(0, suite("").size() - 1).c_str(), a);
    EXPECT_STREQ(first, expected);

    char given[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(suite("").c_str(), "ab", 0x1ABCD, given), 0xABCDu);
    EXPECT_EQ(std::string(given).substr(std::string(given).size() - 10), "abABCD.TMP");
    EXPECT_EQ(GetFileAttributesA(given), INVALID_FILE_ATTRIBUTES);  // a given number creates nothing

    EXPECT_EQ(GetTempFileNameA(suite("missing").c_str(), "x", 0, given), 0u);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    const std::string deep = suite(std::string(200, 'd'));
    std::filesystem::create_directory(native(std::string(200, 'd')));
    EXPECT_EQ(GetTempFileNameA((deep + "\\" + std::string(60, 'e')).c_str(), "x", 0, given), 0u);
}

TEST_F(FileOpsTest, OpenFileOpensTestsAndDescribes) {
    write("f", "data");
    OFSTRUCT record{};
    const std::size_t handlesBefore = velmora::openHandleCount();
    EXPECT_EQ(OpenFile(suite("f").c_str(), &record, OF_EXIST), 1);
    EXPECT_EQ(velmora::openHandleCount(), handlesBefore);
    EXPECT_EQ(record.cBytes, sizeof(OFSTRUCT));
    EXPECT_EQ(record.fFixedDisk, 1);
    EXPECT_STREQ(record.szPathName, suite("f").c_str());

    const HFILE file = OpenFile(suite("f").c_str(), &record, OF_READ | OF_SHARE_EXCLUSIVE);
    ASSERT_NE(file, HFILE_ERROR);
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file));
    FILETIME written{};
    EXPECT_TRUE(GetFileTime(handle, nullptr, nullptr, &written));
    EXPECT_EQ(OpenFile(suite("f").c_str(), &record, OF_READ), HFILE_ERROR);
    EXPECT_EQ(record.nErrCode, ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(CloseHandle(handle));

    EXPECT_EQ(OpenFile(suite("missing").c_str(), &record, OF_READ), HFILE_ERROR);
    EXPECT_EQ(record.nErrCode, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenFile(suite("new").c_str(), &record, OF_PARSE), 0);
    EXPECT_FALSE(exists("new"));
    EXPECT_EQ(OpenFile(suite("f").c_str(), nullptr, OF_READ), HFILE_ERROR);
    EXPECT_EQ(OpenFile(suite("f").c_str(), &record, OF_DELETE), 1);
    EXPECT_FALSE(exists("f"));
}

TEST(CharLowerTest, LowersAsciiAndLatinLettersInPlace) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"README.TXT", "readme.txt"},
        {"\xC3\x84RGER \xC3\x96L \xC3\x9C", "\xC3\xA4rger \xC3\xB6l \xC3\xBC"},  // ÄRGER ÖL Ü
        {"\xC3\x97", "\xC3\x97"},                                                // × has no lower case
        {"\xD0\x90Z", "\xD0\x90z"},                                              // other alphabets untouched
        {"\xC3", "\xC3"},                                                        // cut-off sequence
        {"", ""},
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.in);
        EXPECT_EQ(CharLowerA(buffer), buffer);
        EXPECT_STREQ(buffer, c.out);
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(CharLowerA(reinterpret_cast<LPSTR>(std::uintptr_t{'Q'}))),
              std::uintptr_t{'q'});
}

}  // namespace
