// The eraser's tests share one setting: an offscreen GUI application, the suite's components registered
// from the build folder in the sandbox's registry, and a fresh folder of real files per test. Files are
// made and checked with the standard library, never with the code under test.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "mMain.h"
#include "runtime/text.h"
#include "testsupport/GuiTest.h"

namespace velmora::test {

class EraserTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        mMain::registerComponents(VELMORA_BIN_DIR);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = std::filesystem::path(std::getenv("TMPDIR")) /
                 (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
        GuiTest::TearDown();
    }

    std::filesystem::path path(const std::string& name) const { return m_root / name; }
    std::u16string item(const std::string& name) const { return fromUtf8(path(name).string()); }
    void write(const std::string& name, const std::string& data) const {
        std::filesystem::create_directories(path(name).parent_path());
        std::ofstream(path(name), std::ios::binary) << data;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Whether the entry is there, a link counting as itself.
    bool exists(const std::string& name) const {
        return std::filesystem::exists(std::filesystem::symlink_status(path(name)));
    }

  private:
    std::filesystem::path m_root;
};

}  // namespace velmora::test
