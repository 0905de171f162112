#include "platform/library.h"

#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kTestLib = VELMORA_TESTLIB_PATH;

using AddFunction = std::uint32_t (*)(std::uint32_t, std::uint32_t);
using AddressFunction = const void* (*)();

// A file in the sandbox's temp folder with the given bytes.
std::string sandboxFile(const std::string& name, const std::string& bytes) {
    const fs::path path = fs::path(std::getenv("TMPDIR")) / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string moduleFileName(HMODULE module) {
    char buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    return std::string(buffer, length);
}

TEST(Library, LoadsByPosixAndSuitePathAndCountsLoads) {
    HMODULE byPosix = LoadLibraryA(kTestLib.c_str());
    ASSERT_NE(byPosix, nullptr) << GetLastError();
    const std::string suitePath = velmora::toSuitePath(kTestLib);
    HMODULE bySuite = LoadLibraryA(suitePath.c_str());
    EXPECT_EQ(bySuite, byPosix);

    auto add = reinterpret_cast<AddFunction>(GetProcAddress(byPosix, "testlibAdd"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5u);
    EXPECT_EQ(moduleFileName(byPosix), suitePath);
    EXPECT_EQ(GetModuleHandleA("LIBPLATFORM_TESTLIB.SO"), byPosix);  // file names compare case-blind

    EXPECT_TRUE(FreeLibrary(bySuite));
    EXPECT_EQ(GetModuleHandleA(suitePath.c_str()), byPosix);  // one load still counted
    EXPECT_TRUE(FreeLibrary(byPosix));
    EXPECT_EQ(GetModuleHandleA(suitePath.c_str()), nullptr);  // unloaded with the last release
    EXPECT_FALSE(FreeLibrary(byPosix));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Library, ProcAddressOnlyFromTheModuleItself) {
    HMODULE module = LoadLibraryA(kTestLib.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "DllRegisterServer"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, "malloc"), nullptr);  // exported by a dependency, not by the module
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t(1))), nullptr);  // an ordinal
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
    FreeLibrary(module);
}

TEST(Library, ModuleOfAnAddressNamesItsLibrary) {
    HMODULE module = LoadLibraryA(kTestLib.c_str());
    ASSERT_NE(module, nullptr);
    auto where = reinterpret_cast<AddressFunction>(GetProcAddress(module, "testlibAddress"));
    ASSERT_NE(where, nullptr);

    HMODULE found = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCSTR>(where()), &found));
    EXPECT_EQ(found, module);
    EXPECT_EQ(velmora::modulePathOf(where()), velmora::toSuitePath(kTestLib));

    // Without UNCHANGED_REFCOUNT the lookup counts a load of its own.
    ASSERT_TRUE(
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCSTR>(where()), &found));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA(kTestLib.c_str()), module);
    EXPECT_TRUE(FreeLibrary(found));
}

TEST(Library, ProgramModuleIsADrivePath) {
    HMODULE program = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCSTR>(&moduleFileName), &program));
    EXPECT_EQ(program, GetModuleHandleA(nullptr));
    const std::string path = moduleFileName(nullptr);
    EXPECT_EQ(path, velmora::toSuitePath(fs::read_symlink("/proc/self/exe").string()));
    EXPECT_EQ(path.rfind("Z:\\", 0), 0u);
    EXPECT_EQ(moduleFileName(program), path);

    char small[6];
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), path.substr(0, 5));  // cut and still terminated
}

TEST(Library, LoadFailuresGiveTheirCodes) {
    const std::string text = sandboxFile("notalib.dll", "MZ this is not a library\n");
    const std::string empty = sandboxFile("empty.dll", "");
    const std::string truncatedElf = sandboxFile("short.dll",
                                                 "\x7f"
                                                 "ELF");
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {"/nonexistent/folder/Missing.dll", ERROR_MOD_NOT_FOUND},
        {"Z:\\nonexistent\\Missing.dll", ERROR_MOD_NOT_FOUND},
        {"NoSuchLibraryAnywhere.dll", ERROR_MOD_NOT_FOUND},
        {std::getenv("TMPDIR"), ERROR_MOD_NOT_FOUND},  // a folder
        {text, ERROR_BAD_EXE_FORMAT},
        {velmora::toSuitePath(text), ERROR_BAD_EXE_FORMAT},
        {empty, ERROR_BAD_EXE_FORMAT},
        {truncatedElf, ERROR_BAD_EXE_FORMAT},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LoadLibraryA(c.path.c_str()), nullptr) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(Library, MadeUpModulesAreRefused) {
    const auto bogus = reinterpret_cast<HMODULE>(std::uintptr_t(0x1234000));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(bogus, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(bogus, "testlibAdd"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_FALSE(FreeLibrary(bogus));
    EXPECT_FALSE(FreeLibrary(nullptr));
    HMODULE found = nullptr;
    EXPECT_FALSE(
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(bogus), &found));
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(GetModuleHandleA("NotLoaded.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
