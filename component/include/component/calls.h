// Late-bound calls from C++: by member name, with positional arguments.
//
//   Variant key = u"secret";
//   bool ok = call(plugIn, u"EncryptFile", source, dest, key, handler).toBool();  // key written back
//   std::u16string name = getProperty(plugIn, u"MethodName").toString();
//   letProperty(engine, u"SelectedMethod", 1);
//   setProperty(engine, u"IEventHandler", dialog);
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "component/Marshal.h"
#include "runtime/Object.h"
#include "runtime/Variant.h"

namespace velmora {

// Calls a member of target by name; 91 when target is Nothing. The callee may assign to args.
Variant callByName(const ObjectRef& target, std::u16string_view name, InvokeKind kind,
                   std::span<Variant> args);

// A property let whose caller does not wait for it to be done, for updates nothing reads back at once (a
// progress window's status line). Into a server process it is sent in order with every other call and
// the caller goes on; a failure of the member is raised by the next call on that connection that waits.
// Wherever waiting keeps a meaning (an object of this process, an object or a value the member converts
// or may change, a peer holding objects of ours that it could call back) it is an ordinary let.
void postByName(const ObjectRef& target, std::u16string_view name, std::span<Variant> args);

// Marks a typed C++ variable as passed by reference: the callee's assignment is converted back into it.
// (Lvalue Variants are always passed by reference.)
template <class T>
struct ByRefArg {
    T& variable;
};
template <class T>
ByRefArg<T> byRef(T& variable) {
    return ByRefArg<T>{variable};
}

template <class T>
struct IsByRefArg : std::false_type {};
template <class T>
struct IsByRefArg<ByRefArg<T>> : std::true_type {};

template <class A>
Variant packArgument(A&& argument) {
    if constexpr (IsByRefArg<std::remove_cvref_t<A>>::value) {
        using T = std::remove_cvref_t<decltype(argument.variable)>;
        return ArgTraits<T>::toVariant(argument.variable);
    } else {
        return Variant(std::forward<A>(argument));
    }
}

template <class A>
void unpackArgument(Variant& packed, A&& argument) {
    if constexpr (std::is_same_v<A, Variant&>) {
        argument = std::move(packed);
    } else if constexpr (IsByRefArg<std::remove_cvref_t<A>>::value) {
        using T = std::remove_cvref_t<decltype(argument.variable)>;
        argument.variable = ArgTraits<T>::fromVariant(packed);
    }
}

template <std::size_t N, class... A>
void unpackArguments(std::array<Variant, N>& packed, A&&... arguments) {
    std::size_t i = 0;
    (unpackArgument(packed[i++], std::forward<A>(arguments)), ...);
}

// The common form of the helpers below: C++ values in, by-reference ones written back after the call.
template <class T, class... A>
Variant invokeWith(const Ref<T>& target, std::u16string_view name, InvokeKind kind, A&&... arguments) {
    std::array<Variant, sizeof...(A)> packed{packArgument(std::forward<A>(arguments))...};
    Variant result = callByName(ObjectRef(target), name, kind, packed);
    unpackArguments(packed, std::forward<A>(arguments)...);
    return result;
}

template <class T, class... A>
Variant call(const Ref<T>& target, std::u16string_view name, A&&... arguments) {
    return invokeWith(target, name, InvokeMethod, std::forward<A>(arguments)...);
}

template <class T, class... A>
Variant getProperty(const Ref<T>& target, std::u16string_view name, A&&... index) {
    return invokeWith(target, name, InvokePropertyGet, std::forward<A>(index)...);
}

// The value is the last argument, after any index arguments.
template <class T, class... A>
void letProperty(const Ref<T>& target, std::u16string_view name, A&&... indexThenValue) {
    invokeWith(target, name, InvokePropertyLet, std::forward<A>(indexThenValue)...);
}

template <class T, class... A>
void postProperty(const Ref<T>& target, std::u16string_view name, A&&... indexThenValue) {
    std::array<Variant, sizeof...(A)> packed{packArgument(std::forward<A>(indexThenValue))...};
    postByName(ObjectRef(target), name, packed);
    unpackArguments(packed, std::forward<A>(indexThenValue)...);
}

template <class T, class... A>
void setProperty(const Ref<T>& target, std::u16string_view name, A&&... indexThenObject) {
    invokeWith(target, name, InvokePropertySet, std::forward<A>(indexThenObject)...);
}

}  // namespace velmora
