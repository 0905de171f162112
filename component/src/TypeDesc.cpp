// Values of omitted optional parameters.
#include "component/TypeDesc.h"

#include <vector>

namespace velmora {

Variant zeroValueOf(TypeDesc type) {
    if (type.isArray) {
        if (type.type == VarType::Byte) return Variant(std::vector<std::uint8_t>{});
        return Variant::unallocatedArray(type.type);
    }
    switch (type.type) {
        case VarType::Variant:
            return Variant::missing();
        case VarType::Object:
            return Variant::nothing();
        case VarType::String:
            return Variant(std::u16string());
        case VarType::Integer:
            return Variant(std::int16_t{0});
        case VarType::Long:
            return Variant(std::int32_t{0});
        case VarType::Byte:
            return Variant(std::uint8_t{0});
        case VarType::Single:
            return Variant(0.0f);
        case VarType::Double:
            return Variant(0.0);
        case VarType::Boolean:
            return Variant(false);
        case VarType::Currency:
            return Variant(Currency{});
        case VarType::Date:
            return Variant(Date{});
        default:
            return Variant();
    }
}

}  // namespace velmora
