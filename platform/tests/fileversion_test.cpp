// File versions read from our own libraries, and the refusals for files that carry none.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/fileversion.h"
#include "platform/paths.h"

namespace {

VS_FIXEDFILEINFO versionOf(const char* path) {
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_GT(size, sizeof(VS_FIXEDFILEINFO));
    std::vector<char> block(size);
    EXPECT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value, &length));
    return value ? *static_cast<VS_FIXEDFILEINFO*>(value) : VS_FIXEDFILEINFO{};
}

}  // namespace

TEST(FileVersion, OurLibrariesCarryTheProjectVersion) {
    const VS_FIXEDFILEINFO info = versionOf(VELMORA_PLATFORM_LIBRARY_PATH);
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwFileVersionMS, (DWORD{VELMORA_VERSION_MAJOR} << 16) | VELMORA_VERSION_MINOR);
    EXPECT_EQ(info.dwFileType, VFT_DLL);
    EXPECT_EQ(info.dwProductVersionMS, info.dwFileVersionMS);
}

TEST(FileVersion, FilesWithoutAVersionAreRefused) {
    const std::string text = std::string(std::getenv("VELMORA_TEST_SANDBOX")) + "/plain.txt";
    std::ofstream(text) << "not a library";
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    } const cases[] = {
        {"missing", "no-such-library.dll", ERROR_FILE_NOT_FOUND},
        {"not ELF", text, ERROR_BAD_FORMAT},
        {"ELF without a version", VELMORA_TESTLIB_PATH, ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), nullptr), 0u) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    char small[8];
    EXPECT_FALSE(GetFileVersionInfoA(VELMORA_PLATFORM_LIBRARY_PATH, 0, sizeof small, small));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_FALSE(VerQueryValueA(small, "\\", nullptr, nullptr));
}
