// A byte-array parameter or result that keeps what std::vector<uint8_t> loses: an array that was never
// dimensioned (no bounds) differs from one with no element (upper bound -1), and the bounds themselves.
// The plug-in's operations answer those cases differently, and return the never-dimensioned array as
// their empty result.
#pragma once

#include <cstdint>
#include <vector>

#include "component/Marshal.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"

namespace velmora {

struct ByteArrayArg {
    Variant value;

    static ByteArrayArg empty() { return {Variant::unallocatedArray(VarType::Byte)}; }
    static ByteArrayArg of(std::vector<std::uint8_t> bytes) { return {Variant(std::move(bytes))}; }

    // Has bounds: dimensioned, even with no element.
    bool hasBounds() const noexcept { return value.isAllocatedArray(); }
};

template <>
struct ArgTraits<ByteArrayArg> {
    static constexpr TypeDesc type{VarType::Byte, true};
    // Only a byte array binds to a byte-array parameter passed by reference (anything else is 13): a
    // conversion would hand the caller's variable back as another type.
    static ByteArrayArg fromVariant(const Variant& value) {
        if (!value.isArray() || value.type() != VarType::Byte) raise(err::TypeMismatch);
        return {value};  // shares the caller's array; copied only if written
    }
    static Variant toVariant(ByteArrayArg value) { return std::move(value.value); }
};

}  // namespace velmora
