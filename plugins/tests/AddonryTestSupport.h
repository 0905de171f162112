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

namespace velmora::test {

namespace fs = std::filesystem;

// A fresh folder under the sandbox's temp folder.
inline fs::path freshFolder() {
    std::string pattern = (fs::temp_directory_path() / "plugins-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    return pattern;
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

// The error an action raises, or nothing.
template <class Action>
std::optional<RuntimeError> errorOf(Action&& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace velmora::test
