// Test entry point: every test program runs in a sandbox of its own, so that no test touches the real
// user's registry, drive C:, desktop folders or temp folder. Child processes inherit the sandbox.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class Sandbox : public ::testing::Environment {
  public:
    void SetUp() override {
        namespace fs = std::filesystem;
        // An 8.3-valid name: short names of paths through the sandbox must not depend on the sandboxes of
        // other test programs running beside it in the same temp folder.
        std::string pattern = (fs::temp_directory_path() / "vtXXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        m_root = pattern;
        const fs::path root(m_root);
        for (const char* sub : {"home", "data", "config", "cache", "runtime", "tmp", "drive_c"})
            fs::create_directories(root / sub);
        fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        set("HOME", root / "home");
        set("XDG_DATA_HOME", root / "data");
        set("XDG_CONFIG_HOME", root / "config");
        set("XDG_CACHE_HOME", root / "cache");
        set("XDG_RUNTIME_DIR", root / "runtime");
        set("TMPDIR", root / "tmp");
        set("VELMORA_DRIVE_C", root / "drive_c");
        set("VELMORA_REGISTRY", root / "registry.db");
        set("VELMORA_TEST_SANDBOX", root);
    }
    void TearDown() override {
        if (std::getenv("VELMORA_KEEP_SANDBOX")) return;
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

  private:
    static void set(const char* name, const std::filesystem::path& value) { setenv(name, value.c_str(), 1); }
    std::string m_root;
};

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new Sandbox);  // gtest owns and deletes it
    return RUN_ALL_TESTS();
}
