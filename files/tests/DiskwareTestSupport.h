// Shared helpers of the Diskware tests: a fresh folder per test, raw file access that bypasses the code
// under test, and objcall in a child process.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "platform/paths.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::test {

class DiskwareTest : public ::testing::Test {
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
        std::error_code ignored;
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string native(const std::string& name) const { return m_folder + "/" + name; }
    // The drive form ("Z:\tmp\...\name"), as the suite writes paths.
    std::u16string suite(const std::string& name) const { return fromUtf8(toSuitePath(native(name))); }
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

template <class Action>
std::int32_t errorNumberOf(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

using Output = ProgramOutput;

inline Output objcall(const std::vector<std::string>& args) {
    return runProgram(VELMORA_OBJCALL_PATH, args);
}

}  // namespace velmora::test
