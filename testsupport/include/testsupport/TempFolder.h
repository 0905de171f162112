// Temporary folders of a test under the sandbox's temp folder: a fixture with a fresh folder per test and
// raw file access that bypasses the code under test, and a fresh uniquely named folder on demand.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmora::test {

// A fresh folder under the sandbox's temp folder, named prefix-XXXXXX.
inline std::filesystem::path freshFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    return pattern;
}

// A folder named after the running test, made empty before it and removed after it.
class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::string(std::getenv("TMPDIR")) + "/" + info->test_suite_name() + "." + info->name();
        for (char& c : m_folder)
            if (c == '\\') c = '_';
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override {
        // A test may leave its folder read-only.
        std::error_code ignored;
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string native(const std::string& name) const { return m_folder + "/" + name; }
    void write(const std::string& name, const std::string& content) const {
        std::filesystem::create_directories(std::filesystem::path(native(name)).parent_path());
        std::ofstream(native(name), std::ios::binary) << content;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(native(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(native(name)); }

    std::string m_folder;
};

}  // namespace velmora::test
