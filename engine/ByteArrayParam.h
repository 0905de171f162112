// A byte-array parameter or result of the engine that keeps the array as the caller made it: its bounds,
// and whether it was dimensioned at all. The input test reads the upper bound, which fails (error 9) for
// an array that never was.
#pragma once

#include "component/Marshal.h"
#include "runtime/Error.h"
#include "runtime/Variant.h"

namespace velmora {

struct ByteArrayParam {
    Variant value;

    // The empty result: an array that was never dimensioned.
    static ByteArrayParam empty() { return {Variant::unallocatedArray(VarType::Byte)}; }
};

template <>
struct ArgTraits<ByteArrayParam> {
    static constexpr TypeDesc type{VarType::Byte, true};
    // Only a byte array binds (anything else is 13): the caller's variable goes back as it came.
    static ByteArrayParam fromVariant(const Variant& value) {
        if (!value.isArray() || value.type() != VarType::Byte) raise(err::TypeMismatch);
        return {value};
    }
    static Variant toVariant(ByteArrayParam value) { return std::move(value.value); }
};

}  // namespace velmora
