// One member of a class's table: what late binding, the type description and the call marshaller read.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "component/TypeDesc.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

enum class MemberKind : std::uint8_t { Method, PropertyGet, PropertyLet, PropertySet, Event };

struct ParamInfo {
    std::u16string name;
    TypeDesc type;
    bool byRef = false;
    bool optional = false;
    Variant defaultValue = Variant::missing();  // missing: no default declared

    bool hasDefault() const noexcept { return !defaultValue.isMissing(); }
    // What the callee receives when the caller omits this (optional) parameter.
    Variant omittedValue() const { return hasDefault() ? defaultValue : zeroValueOf(type); }
};

// Calls the member with exactly one argument per declared parameter, converting them to the C++ types
// and writing by-reference ones back into args. Self is an instance of the class the table describes.
using Invoker = std::function<Variant(Object& self, std::span<Variant> args)>;

struct MemberInfo {
    std::u16string name;
    MemberKind kind = MemberKind::Method;
    std::vector<ParamInfo> params;  // for a property let/set, the value is the last parameter
    TypeDesc result;
    bool isDefault = false;  // the member an empty name reaches
    Invoker invoker;         // empty for an event

    // A late-bound call: checks the argument count, gives omitted optional arguments their defaults (fewer
    // arguments, or the missing marker in a position) and copies by-reference arguments back.
    // Errors: 450 too many arguments, 449 a required one missing; conversions raise 13 or 6.
    Variant call(Object& self, std::span<Variant> args) const;

  private:
    Variant callWithOmitted(Object& self, std::span<Variant> args) const;
};

}  // namespace velmora
