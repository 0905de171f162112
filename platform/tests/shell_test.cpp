// The shell calls on real files and folders and the real registry.
#include <gtest/gtest.h>

#include <filesystem>

#include "FileTestSupport.h"
#include "platform/attributes.h"
#include "platform/messagebox.h"
#include "platform/registryapi.h"
#include "platform/shell.h"

namespace {

class Shell : public FileTest {
  protected:
    int run(UINT operation, const std::string& from, const std::string& to, FILEOP_FLAGS flags) {
        const std::string source = from + '\0';
        const std::string target = to + '\0';
        SHFILEOPSTRUCTA request{};
        request.wFunc = operation;
        request.pFrom = source.c_str();
        request.pTo = target.c_str();
        request.fFlags = flags;
        return SHFileOperationA(&request);
    }
    velmora::MessageBoxRecorder m_boxes;
};

TEST_F(Shell, OperationResultsForMissingSameAndNestedItems) {
    write("f", "x");
    std::filesystem::create_directories(native("d/inner"));
    EXPECT_EQ(run(FO_COPY, native("missing"), native("x"), FOF_NOCONFIRMATION), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(run(FO_DELETE, native("missing"), "", FOF_NOCONFIRMATION), int(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(run(FO_COPY, native("f"), native("f"), FOF_NOCONFIRMATION), DE_SAMEFILE);
    EXPECT_EQ(run(FO_MOVE, native("d"), native("d/inner"), FOF_NOCONFIRMATION), DE_DESTSUBTREE);
    EXPECT_EQ(run(9, native("f"), native("g"), 0), int(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(read("f"), "x");
}

TEST_F(Shell, RenameOnCollisionKeepsBoth) {
    std::filesystem::create_directories(native("to"));
    write("a.txt", "new");
    write("to/a.txt", "old");
    EXPECT_EQ(run(FO_COPY, native("a.txt"), native("to"), FOF_RENAMEONCOLLISION), 0);
    EXPECT_EQ(read("to/a.txt"), "old");
    EXPECT_EQ(read("to/a (2).txt"), "new");
    EXPECT_TRUE(m_boxes.messages().empty());
}

TEST_F(Shell, DeleteRemovesReadOnlyFilesAndWholeTrees) {
    std::filesystem::create_directories(native("tree/sub"));
    write("tree/a", "x");
    write("tree/sub/b", "y");
    ASSERT_TRUE(SetFileAttributesA(native("tree/sub/b").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(run(FO_DELETE, native("tree"), "", FOF_NOCONFIRMATION), 0);
    EXPECT_FALSE(exists("tree"));
}

TEST_F(Shell, TrashKeepsARecordOfWhereTheItemWas) {
    std::filesystem::create_directories(native("folder"));
    write("folder/doc", "x");
    EXPECT_EQ(run(FO_DELETE, native("folder"), "", FOF_NOCONFIRMATION | FOF_ALLOWUNDO), 0);
    EXPECT_FALSE(exists("folder"));
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/folder/doc"));
    std::ifstream info(trash + "/info/folder.trashinfo");
    std::string all((std::istreambuf_iterator<char>(info)), {});
    EXPECT_NE(all.find("Path=" + native("folder")), std::string::npos) << all;
}

TEST_F(Shell, ExecuteErrorsForMissingItemsAndUnknownTypes) {
    auto result = [](const std::string& file) {
        return int(
            reinterpret_cast<std::intptr_t>(ShellExecuteA(0, "open", file.c_str(), nullptr, nullptr, 1)));
    };
    write("blob.qqzx", std::string("\x00\x01\xff", 3));
    EXPECT_EQ(result(native("nothing.qqzx")), SE_ERR_FNF);
    EXPECT_EQ(result(native("no/dir/x.qqzx")), SE_ERR_PNF);
    EXPECT_EQ(result(native("blob.qqzx")), SE_ERR_NOASSOC);
    EXPECT_EQ(result("velmora-no-such-scheme:x"), SE_ERR_NOASSOC);
    EXPECT_EQ(result(""), SE_ERR_FNF);
}

TEST_F(Shell, TypeNamesFromTheRegistryThenTheMimeDatabase) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".zqf", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("Test.Encrypted"), 15);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "Test.Encrypted", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              0);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("Encrypted File"), 15);
    RegCloseKey(key);
    auto typeName = [](const char* path) {
        SHFILEINFOA info{};
        SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        return std::string(info.szTypeName);
    };
    EXPECT_EQ(typeName("C:\\x\\secret.zqf"), "Encrypted File");
    EXPECT_EQ(typeName("C:\\x\\notes.txt"), "plain text document");
    EXPECT_EQ(typeName("C:\\x\\a.qqzx"), "QQZX File");
    EXPECT_EQ(typeName("C:\\x\\noext"), "File");
    SHFILEINFOA info{};
    EXPECT_EQ(SHGetFileInfoA("C:\\missing.txt", 0, &info, sizeof info, SHGFI_TYPENAME), 0u);
}

}  // namespace
