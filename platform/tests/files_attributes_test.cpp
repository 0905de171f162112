// Attributes: permission bits, the DOSATTRIB extended attribute in its text and binary forms, dot-names.
#include <sys/stat.h>
#include <sys/xattr.h>

#include <vector>

#include "FileTestSupport.h"
#include "platform/attributes.h"

namespace {

using AttributesTest = FileTest;

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

TEST_F(AttributesTest, PlainFilesFoldersAndDotNames) {
    write("plain.txt", "x");
    write(".profile", "x");
    std::filesystem::create_directory(native("folder"));
    std::filesystem::create_directory(native(".cache"));
    EXPECT_EQ(attributesOf(suite("plain.txt")), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(attributesOf(suite(".profile")), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(attributesOf(suite("folder")), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(suite("folder") + "\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(attributesOf(suite(".cache")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(attributesOf(suite("folder\\.")), FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(AttributesTest, StoredAttributesAreReadInEveryForm) {
    write("f", "x");
    const struct {
        const char* label;
        std::vector<unsigned char> value;
        DWORD expected;
    } cases[] = {
        {"text", {'0', 'x', '2', '2'}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"text upper X, NUL", {'0', 'X', '4', 0}, FILE_ATTRIBUTE_SYSTEM},
        {"text with read-only bit", {'0', 'x', '1'}, FILE_ATTRIBUTE_NORMAL},  // read-only comes from the mode
        {"text garbage", {'0', 'x', 'z', 'z'}, FILE_ATTRIBUTE_NORMAL},
        {"binary v3", {3, 0, 3, 0, 1, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0}, FILE_ATTRIBUTE_HIDDEN},
        {"binary v4",
         {4, 0, 4, 0, 1, 0, 0, 0, 0x24, 0, 0, 0},
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
        {"binary v1", {1, 0, 1, 0, 0x06, 0, 0, 0}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"binary cut short", {3, 0, 3, 0, 1, 0, 0, 0, 0x02}, FILE_ATTRIBUTE_NORMAL},
        {"unknown version", {9, 0, 9, 0, 1, 0, 0, 0, 0x02, 0, 0, 0}, FILE_ATTRIBUTE_NORMAL},
        {"one byte", {3}, FILE_ATTRIBUTE_NORMAL},
        {"all ones", std::vector<unsigned char>(12, 0xFF), FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(setxattr(native("f").c_str(), "user.DOSATTRIB", c.value.data(), c.value.size(), 0), 0);
        EXPECT_EQ(attributesOf(suite("f")), c.expected) << c.label;
    }
}

TEST_F(AttributesTest, SetAttributesAreStoredAsText) {
    write("f", "x");
    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    char value[32] = {};
    const ssize_t size = getxattr(native("f").c_str(), "user.DOSATTRIB", value, sizeof value);
    EXPECT_EQ(std::string(value, size > 0 ? size : 0), "0x22");
    EXPECT_EQ(attributesOf(suite("f")), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(attributesOf(suite("f")), FILE_ATTRIBUTE_NORMAL);
    EXPECT_LT(getxattr(native("f").c_str(), "user.DOSATTRIB", value, sizeof value), 0);
}

TEST_F(AttributesTest, ReadOnlyIsTheAbsenceOfWriteBits) {
    write("f", "x");
    ASSERT_EQ(chmod(native("f").c_str(), 0664), 0);
    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    struct stat st {};
    ASSERT_EQ(stat(native("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(attributesOf(suite("f")), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(SetFileAttributesA(suite("f").c_str(), 0));
    ASSERT_EQ(stat(native("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);  // the owner may write again
    EXPECT_EQ(attributesOf(suite("f")), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(AttributesTest, FoldersKeepTheirPermissions) {
    std::filesystem::create_directory(native("d"));
    ASSERT_TRUE(SetFileAttributesA(suite("d").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(attributesOf(suite("d")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    write("d/inside", "still writable");
    EXPECT_EQ(read("d/inside"), "still writable");
}

TEST_F(AttributesTest, MissingFilesAndFoldersAreTold) {
    EXPECT_EQ(attributesOf(suite("none")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(attributesOf(suite("none\\f")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributesA(suite("none").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SetFileAttributesA(nullptr, FILE_ATTRIBUTE_HIDDEN));
}

}  // namespace
