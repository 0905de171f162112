// The script-host shell object's environment collection for its default scope, which on the original is
// the machine's persistent "System" environment. Here that scope lives in the suite's registry, under the
// key the original uses (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment); it is never
// the process environment and never the user's shell start-up files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class ScriptHostEnvironment {
  public:
    // The variable's value; nothing when it is unset or the name is not a variable name.
    std::optional<std::string> item(std::string_view name) const;
    // Stores the value (REG_EXPAND_SZ when it holds a '%', as the original does); false on failure.
    bool setItem(std::string_view name, std::string_view value);
    // Removes the variable; false when it was not set or cannot be removed.
    bool remove(std::string_view name);

    // A variable name: not empty, no '=' and no NUL.
    static bool validName(std::string_view name) noexcept;
};

constexpr const char* kSystemEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

}  // namespace velmora
