// Module resources: data a program carries under a type name and a numeric identifier, found through the
// module's handle as FindResource finds them (the animation control opens its clips this way).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/win32types.h"

namespace velmora {

// Resource identifiers below 0x10000 travel in a pointer-sized parameter in place of a name.
constexpr bool IS_INTRESOURCE(LPARAM value) noexcept {
    return (static_cast<std::uintptr_t>(value) >> 16) == 0;
}

// Adds a resource of the module; data must outlive the process (it is embedded in the module).
// A second resource with the same module, type and identifier replaces the first.
void addModuleResource(HMODULE module, std::string_view type, int id, std::span<const std::uint8_t> data);
// The resource's data; nullopt when the module has none of that type and identifier.
std::optional<std::span<const std::uint8_t>> findModuleResource(HMODULE module, std::string_view type,
                                                                int id);

}  // namespace velmora
