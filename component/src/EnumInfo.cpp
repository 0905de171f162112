// Enumeration lookups.
#include "component/EnumInfo.h"

#include "component/names.h"

namespace velmora {

std::optional<std::int32_t> EnumInfo::valueOf(std::u16string_view member) const {
    for (const Value& value : values)
        if (namesEqual(value.first, member)) return value.second;
    return std::nullopt;
}

}  // namespace velmora
