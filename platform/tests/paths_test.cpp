#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScopedEnv.h"

using namespace velmora;

namespace {

std::string sandbox() {
    return std::getenv("VELMORA_TEST_SANDBOX");
}
std::string driveC() {
    return std::getenv("VELMORA_DRIVE_C");
}

TEST(PathsTest, SuitePathsMapToNativePaths) {
    const struct {
        const char* suite;
        std::string native;
    } cases[] = {
        {"Z:\\tmp\\x.txt", "/tmp/x.txt"},
        {"z:/tmp/x", "/tmp/x"},
        {"Z:", "/"},
        {"Z:\\", "/"},
        {"Z:\\tmp\\dir\\", "/tmp/dir/"},
        {"C:\\a\\b.txt", driveC() + "/a/b.txt"},
        {"c:\\", driveC() + "/"},
        {"C:rel\\f", driveC() + "/rel/f"},
        {"a\\b.txt", "a/b.txt"},
        {"\\top\\f", "/top/f"},
        {"/home/user/notes.txt", "/home/user/notes.txt"},
        {"\\\\?\\Z:\\tmp\\x", "/tmp/x"},
        {"\\\\server\\share\\f", ""},
        {"//server/share/f", ""},
        {"\\\\?\\UNC\\server\\share\\f", ""},
        {"Q:\\x", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(toNativePath(c.suite), c.native) << c.suite;
}

TEST(PathsTest, OtherDrivesComeFromTheEnvironment) {
    ScopedEnv drive("VELMORA_DRIVE_Q", "/srv/q");
    EXPECT_EQ(toNativePath("q:\\data\\f"), "/srv/q/data/f");
    EXPECT_EQ(checkSuitePath("Q:\\x"), ERROR_SUCCESS);
}

TEST(PathsTest, NativePathsMapToDrivePaths) {
    const struct {
        std::string native;
        const char* suite;
    } cases[] = {
        {"/tmp/x", "Z:\\tmp\\x"},
        {"/", "Z:\\"},
        {"/tmp/dir/", "Z:\\tmp\\dir\\"},
        {"/tmp/a/../b", "Z:\\tmp\\b"},
        {driveC(), "C:\\"},
        {driveC() + "/", "C:\\"},
        {driveC() + "/docs/f.txt", "C:\\docs\\f.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(toSuitePath(c.native), c.suite) << c.native;

    // A sibling folder whose name merely starts like drive C's is not on drive C.
    std::string sibling = toSuitePath(driveC() + "x/f");
    EXPECT_EQ(sibling.substr(0, 3), "Z:\\");
    EXPECT_EQ(sibling.substr(sibling.size() - 10), "drive_cx\\f");
}

TEST(PathsTest, RelativeNativePathsAreTakenFromTheCurrentFolder) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path("/tmp");
    EXPECT_EQ(toSuitePath("sub/f"), "Z:\\tmp\\sub\\f");
    std::filesystem::current_path(old);
}

TEST(PathsTest, DriveAndNativePathsRoundTrip) {
    for (const char* suite : {"C:\\a\\b c\\d.txt", "Z:\\usr\\share\\x", "C:\\"})
        EXPECT_EQ(toSuitePath(toNativePath(suite)), suite);
}

TEST(PathsTest, PathTextIsChecked) {
    const std::string longName(256, 'n');
    const std::string longPath = "Z:" + std::string(2100, '\\') + std::string(200, 'a') + "\\" +
                                 std::string(200, 'b') + std::string(4000, '\\');
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {"C:\\ok\\file.txt", ERROR_SUCCESS},
        {"/posix/path", ERROR_SUCCESS},
        {"", ERROR_PATH_NOT_FOUND},
        // What Win32 refuses is an ordinary name's character on Linux, and so here.
        {"C:\\a<b>\"c|d:e", ERROR_SUCCESS},
        {"1:\\a", ERROR_SUCCESS},
        {"C:\\a\tb\nc", ERROR_SUCCESS},
        {"C:\\a?\\b*", ERROR_SUCCESS},
        {"C:\\" + longName, ERROR_FILENAME_EXCED_RANGE},
        {"C:\\" + std::string(255, 'n'), ERROR_SUCCESS},
        {longPath, ERROR_FILENAME_EXCED_RANGE},
        {"\\\\server\\share\\f", ERROR_BAD_NETPATH},
        {"Y:\\unmapped", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) EXPECT_EQ(checkSuitePath(c.path), c.error) << c.path.substr(0, 40);
}

TEST(PathsTest, DriveCDefaultsToTheDataFolderAndIsCreated) {
    ScopedEnv unset("VELMORA_DRIVE_C", nullptr);
    const std::string expected = sandbox() + "/data/velmora/drive_c";
    EXPECT_EQ(driveCRoot(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    EXPECT_EQ(toSuitePath(expected + "/f"), "C:\\f");
}

TEST(PathsTest, RuntimeFolderIsPrivate) {
    const std::string folder = runtimeFolder();
    ASSERT_EQ(folder, sandbox() + "/runtime/velmora");
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(PathsTest, RuntimeFolderOwnedBySomeoneElseIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand a folder to another user";
    const std::string base = sandbox() + "/foreign-runtime";
    std::filesystem::create_directories(base + "/velmora");
    ASSERT_EQ(chown((base + "/velmora").c_str(), 65534, 65534), 0);
    ScopedEnv runtime("XDG_RUNTIME_DIR", base.c_str());
    EXPECT_EQ(runtimeFolder(), "");
}

TEST(PathsTest, RuntimeFolderOpenToOthersIsTightened) {
    const std::string base = sandbox() + "/loose-runtime";
    std::filesystem::create_directories(base + "/velmora");
    chmod((base + "/velmora").c_str(), 0777);
    ScopedEnv runtime("XDG_RUNTIME_DIR", base.c_str());
    ASSERT_EQ(runtimeFolder(), base + "/velmora");
    struct stat st {};
    ASSERT_EQ(stat((base + "/velmora").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
