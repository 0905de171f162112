// Shared helpers of the Diskware tests: a fresh folder per test, raw file access that bypasses the code
// under test, and objcall in a child process.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"
#include "testsupport/TempFolder.h"

namespace velmora::test {

class DiskwareTest : public TempFolderTest {
  protected:
    // The drive form ("Z:\tmp\...\name"), as the suite writes paths.
    std::u16string suite(const std::string& name) const { return fromUtf8(toSuitePath(native(name))); }
};

}  // namespace velmora::test
