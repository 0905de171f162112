// A published enumeration: its name and its members in declaration order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

struct EnumInfo {
    using Value = std::pair<std::u16string, std::int32_t>;

    std::u16string name;
    std::vector<Value> values;

    // A member's value by name (case-insensitive).
    std::optional<std::int32_t> valueOf(std::u16string_view member) const;
};

}  // namespace velmora
