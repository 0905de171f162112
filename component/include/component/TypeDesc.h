// The declared type of a parameter or result in a member table.
#pragma once

#include "runtime/Variant.h"

namespace velmora {

struct TypeDesc {
    constexpr TypeDesc() = default;
    constexpr TypeDesc(VarType base, bool array = false) : type(base), isArray(array) {}

    VarType type = VarType::Empty;  // Empty: no value at all (a member that returns nothing)
    bool isArray = false;

    constexpr bool isVoid() const noexcept { return type == VarType::Empty && !isArray; }
    friend constexpr bool operator==(TypeDesc, TypeDesc) = default;
};

// The value an optional parameter takes when it is omitted and declares no default: the missing marker
// for a Variant, Nothing for an object, otherwise the type's zero ("" for a String, an empty byte array).
Variant zeroValueOf(TypeDesc type);

}  // namespace velmora
