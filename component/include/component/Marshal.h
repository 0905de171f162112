// How C++ parameter and result types of members cross a late-bound call: each supported type has a
// declared type for the description and conversions from and to Variant.
// Supported: int16_t, int32_t, uint8_t, float, double, bool, Currency, Date, std::u16string, Variant,
// ObjectRef, Ref<T> (an object of another class is error 13), std::vector<uint8_t> (a byte array);
// each by value or const T&, and as T& for a by-reference parameter.
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "component/TypeDesc.h"
#include "runtime/Error.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

template <class T>
struct ArgTraits;  // no definition: a member with an unsupported type does not compile

template <VarType kType, class T, T (Variant::*kConvert)() const>
struct ScalarArgTraits {
    static constexpr TypeDesc type{kType};
    static T fromVariant(const Variant& value) { return (value.*kConvert)(); }
    static Variant toVariant(T value) { return Variant(value); }
};

template <>
struct ArgTraits<std::int16_t> : ScalarArgTraits<VarType::Integer, std::int16_t, &Variant::toInteger> {};
template <>
struct ArgTraits<std::int32_t> : ScalarArgTraits<VarType::Long, std::int32_t, &Variant::toLong> {};
template <>
struct ArgTraits<std::uint8_t> : ScalarArgTraits<VarType::Byte, std::uint8_t, &Variant::toByte> {};
template <>
struct ArgTraits<float> : ScalarArgTraits<VarType::Single, float, &Variant::toSingle> {};
template <>
struct ArgTraits<double> : ScalarArgTraits<VarType::Double, double, &Variant::toDouble> {};
template <>
struct ArgTraits<bool> : ScalarArgTraits<VarType::Boolean, bool, &Variant::toBool> {};
template <>
struct ArgTraits<Currency> : ScalarArgTraits<VarType::Currency, Currency, &Variant::toCurrency> {};
template <>
struct ArgTraits<Date> : ScalarArgTraits<VarType::Date, Date, &Variant::toDate> {};

template <>
struct ArgTraits<std::u16string> {
    static constexpr TypeDesc type{VarType::String};
    static std::u16string fromVariant(const Variant& value) {
        return value.isString() ? value.stringRef() : value.toString();
    }
    static Variant toVariant(std::u16string value) { return Variant(std::move(value)); }
};

template <>
struct ArgTraits<Variant> {
    static constexpr TypeDesc type{VarType::Variant};
    static Variant fromVariant(const Variant& value) { return value; }
    static Variant toVariant(Variant value) { return value; }
};

template <>
struct ArgTraits<ObjectRef> {
    static constexpr TypeDesc type{VarType::Object};
    static ObjectRef fromVariant(const Variant& value) { return value.toObject(); }
    static Variant toVariant(ObjectRef value) { return Variant(std::move(value)); }
};

template <class T>
struct ArgTraits<Ref<T>> {
    static constexpr TypeDesc type{VarType::Object};
    static Ref<T> fromVariant(const Variant& value) {
        ObjectRef object = value.toObject();
        if (!object) return {};
        T* typed = dynamic_cast<T*>(object.get());
        if (!typed) raise(err::TypeMismatch);
        return Ref<T>(typed);
    }
    static Variant toVariant(Ref<T> value) { return Variant(ObjectRef(std::move(value))); }
};

template <>
struct ArgTraits<std::vector<std::uint8_t>> {
    static constexpr TypeDesc type{VarType::Byte, true};
    static std::vector<std::uint8_t> fromVariant(const Variant& value) {
        // A byte array that was declared but never dimensioned holds no bytes.
        if (value.isArray() && value.type() == VarType::Byte && !value.isAllocatedArray()) return {};
        return value.toBytes();
    }
    static Variant toVariant(std::vector<std::uint8_t> value) { return Variant(std::move(value)); }
};

// A byte-array parameter or result that keeps what std::vector<uint8_t> loses: an array that was never
// dimensioned (no bounds) differs from one with no element (upper bound -1), and the bounds themselves.
// Operations that answer those cases differently take it, and return the never-dimensioned array as their
// empty result.
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
    // Only a byte array binds (anything else is 13): a conversion would hand the caller's variable back,
    // passed by reference, as another type.
    static ByteArrayArg fromVariant(const Variant& value) {
        if (!value.isArray() || value.type() != VarType::Byte) raise(err::TypeMismatch);
        return {value};  // shares the caller's array; copied only if written
    }
    static Variant toVariant(ByteArrayArg value) { return std::move(value.value); }
};

template <class T>
using BareType = std::remove_cvref_t<T>;

// A parameter declared T& (not const) is by reference: converted in, written back after the call.
template <class P>
constexpr bool isByRefParam = std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

template <class P>
constexpr bool isObjectParam = ArgTraits<BareType<P>>::type == TypeDesc{VarType::Object};

// One argument of a call in progress, held in the C++ type of its parameter.
template <class P>
class ArgSlot {
    static_assert(!std::is_rvalue_reference_v<P>, "members take arguments by value, const T& or T&");
    using Bare = BareType<P>;

  public:
    explicit ArgSlot(Variant& arg) : m_value(ArgTraits<Bare>::fromVariant(arg)) {}
    P pass() {
        if constexpr (std::is_reference_v<P>) {
            return m_value;
        } else {
            return std::move(m_value);
        }
    }
    void writeBack(Variant& arg) {
        if constexpr (isByRefParam<P>) arg = ArgTraits<Bare>::toVariant(std::move(m_value));
    }

  private:
    Bare m_value;
};

// Variant parameters bind to the caller's argument itself: no copy, and a Variant& is by reference as is.
template <class P>
requires std::same_as<BareType<P>, Variant>
class ArgSlot<P> {
  public:
    explicit ArgSlot(Variant& arg) : m_arg(arg) {}
    P pass() { return m_arg; }
    void writeBack(Variant&) {}

  private:
    Variant& m_arg;
};

// Calls fn on self with args converted to its parameter types (left to right, so the first argument
// that does not convert is the one reported), then writes back by-reference arguments.
template <class R, class... P, class Self, class Fn, std::size_t... I>
Variant invokeMarshalled(Self& self, Fn fn, std::span<Variant> args, std::index_sequence<I...>) {
    std::tuple<ArgSlot<P>...> slots{ArgSlot<P>(args[I])...};
    if constexpr (std::is_void_v<R>) {
        std::invoke(fn, self, std::get<I>(slots).pass()...);
        (std::get<I>(slots).writeBack(args[I]), ...);
        return Variant();
    } else {
        Variant result =
            ArgTraits<BareType<R>>::toVariant(std::invoke(fn, self, std::get<I>(slots).pass()...));
        (std::get<I>(slots).writeBack(args[I]), ...);
        return result;
    }
}

template <class R>
constexpr TypeDesc resultTypeOf() {
    if constexpr (std::is_void_v<R>) {
        return TypeDesc{};
    } else {
        return ArgTraits<BareType<R>>::type;
    }
}

}  // namespace velmora
