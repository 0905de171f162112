// RegSvr32 with real libraries: one that registers, one with no entry points, a file that is no library,
// and one whose entry point hangs (the one slow test: the wait is 10 s by design).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "HivekeepTestSupport.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "platform/library.h"
#include "registry/RegServerObject.h"
#include "runtime/text.h"

using namespace velmora;
using namespace velmora::test;

namespace {

bool regSvr32(const std::string& file, bool unregister) {
    auto obj = makeObject<RegServerObject>();
    return obj->RegSvr32(fromUtf8(file), unregister);
}

bool isLoaded(const char* path) {
    return GetModuleHandleA(path) != nullptr;
}

TEST(RegServerObject, RegistersAndUnregistersARealLibrary) {
    ASSERT_TRUE(regSvr32(VELMORA_GOODLIB_PATH, false));
    EXPECT_TRUE(rawValue(HKEY_CLASSES_ROOT, "Goodlib.Probe\\CLSID", ""));
    // Registered twice, and kept loaded for the objects created next.
    ASSERT_TRUE(regSvr32(VELMORA_GOODLIB_PATH, false));
    EXPECT_TRUE(isLoaded(VELMORA_GOODLIB_PATH));
    EXPECT_EQ(call(CreateObject(u"Goodlib.Probe"), u"Answer"), Variant(std::int32_t{42}));

    ASSERT_TRUE(regSvr32(VELMORA_GOODLIB_PATH, true));
    EXPECT_FALSE(rawValue(HKEY_CLASSES_ROOT, "Goodlib.Probe\\CLSID", ""));
}

TEST(RegServerObject, BareNameIsTheFileInTheCurrentFolder) {
    const std::string path = VELMORA_GOODLIB_PATH;
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    EXPECT_TRUE(regSvr32("Goodlib.dll", true));
    EXPECT_FALSE(regSvr32("Plainlib.dll", true));
    std::filesystem::current_path(previous);
}

TEST(RegServerObject, RefusesWhatCannotRegister) {
    const std::string notLibrary = std::string(std::getenv("TMPDIR")) + "/notalib.dll";
    std::ofstream(notLibrary) << "MZ this is text, not a library\n";
    EXPECT_FALSE(regSvr32(notLibrary, false));
    EXPECT_FALSE(regSvr32("/no/such/library.dll", false));
    EXPECT_FALSE(regSvr32("", false));
    EXPECT_FALSE(regSvr32(std::getenv("TMPDIR"), false));  // a folder

    EXPECT_FALSE(regSvr32(VELMORA_PLAINLIB_PATH, false));
    EXPECT_FALSE(regSvr32(VELMORA_PLAINLIB_PATH, true));
    EXPECT_FALSE(isLoaded(VELMORA_PLAINLIB_PATH));  // freed again

    EXPECT_FALSE(regSvr32(VELMORA_HANGLIB_PATH, true));  // the entry point ran, and reported failure
}

TEST(RegServerObject, GivesUpOnAHangingEntryPointAfterTenSeconds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(regSvr32(VELMORA_HANGLIB_PATH, false));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(10000));
    EXPECT_LT(waited, std::chrono::milliseconds(14000));

    // The library stays loaded while its entry point still runs; let it finish.
    HMODULE library = GetModuleHandleA(VELMORA_HANGLIB_PATH);
    ASSERT_NE(library, nullptr);
    auto release = reinterpret_cast<void (*)()>(GetProcAddress(library, "HanglibRelease"));
    ASSERT_NE(release, nullptr);
    release();
}

}  // namespace
