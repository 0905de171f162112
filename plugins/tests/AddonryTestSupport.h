// Shared helpers of the plug-in registry tests: folder trees of real test plug-ins, registrations and
// errors.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "component/registration.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"
#include "testsupport/TempFolder.h"

namespace velmora::test {

namespace fs = std::filesystem;

inline fs::path freshFolder() {
    return test::freshFolder("plugins");
}

// Copies a built test plug-in (Steady, Lacking, Raising, Misnamed, a, d, Noentry) to target.
inline void placePlugIn(const std::string& builtName, const fs::path& target) {
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(VELMORA_TESTPLUGIN_DIR) / (builtName + ".dll"), target,
                  fs::copy_options::overwrite_existing);
}

inline bool isRegistered(std::u16string_view progId) {
    return classIdOfProgId(progId).has_value();
}

inline std::u16string u16(const fs::path& path) {
    return fromUtf8(path.string());
}
}  // namespace velmora::test
