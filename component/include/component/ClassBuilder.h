// Declares a class's members once, over member-function pointers: parameter and result types come from
// the C++ signature, names and defaults are written next to the pointer.
//
//   const ClassInfo& Sample::describe() {
//       static const ClassInfo info = ClassBuilder<Sample>(u"Sample")
//           .property(u"Name", &Sample::name, &Sample::setName)            // get + let
//           .method(u"Add", &Sample::add, {u"a", u"b"})
//           .method(u"Scale", &Sample::scale, {u"Value", opt(u"Factor", 2)})
//           .property(u"Item", &Sample::item, &Sample::setItem, {u"Index"}).asDefault()
//           .event(u"Progress", {arg(u"Percent", VarType::Long)})
//           .build();
//       return info;
//   }
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "component/ClassInfo.h"
#include "component/Marshal.h"

namespace velmora {

// A parameter as written in a declaration: its name, and whether and how it may be omitted. The type
// comes from the C++ signature; only events, which have no C++ function, give it here.
struct ParamSpec {
    ParamSpec(const char16_t* paramName) : name(paramName) {}
    ParamSpec(std::u16string paramName) : name(std::move(paramName)) {}

    std::u16string name;
    bool optional = false;
    Variant defaultValue = Variant::missing();
    TypeDesc type;       // events only
    bool byRef = false;  // events only
};

// An optional parameter; without a default it receives the missing marker (Variant) or the type's zero.
ParamSpec opt(std::u16string name);
ParamSpec opt(std::u16string name, Variant defaultValue);
// An event parameter; event arguments are by reference unless said otherwise.
ParamSpec arg(std::u16string name, TypeDesc type, bool byRef = true);

// The pieces of a pointer to member function, whatever its const and noexcept qualifiers.
template <class F>
struct MemberFnTraits;
template <class C, class R, class... A>
struct MemberFnTraits<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
    template <template <class...> class List>
    using Params = List<A...>;
};
template <class C, class R, class... A>
struct MemberFnTraits<R (C::*)(A...) const> : MemberFnTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberFnTraits<R (C::*)(A...) noexcept> : MemberFnTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberFnTraits<R (C::*)(A...) const noexcept> : MemberFnTraits<R (C::*)(A...)> {};

template <class... P>
struct ParamList {
    static constexpr std::size_t size = sizeof...(P);
    static std::vector<TypeDesc> types() { return {ArgTraits<BareType<P>>::type...}; }
    static std::vector<bool> byRefs() { return {isByRefParam<P>...}; }
};

// The part of the builder that does not depend on the class: checks and assembles member entries.
class MemberListBuilder {
  protected:
    explicit MemberListBuilder(std::u16string className) : m_className(std::move(className)) {}

    void add(MemberInfo member);
    // Pairs written names with the signature's types; the value of a property let/set may go unnamed.
    std::vector<ParamInfo> params(const std::u16string& member, std::initializer_list<ParamSpec> specs,
                                  const std::vector<TypeDesc>& types, const std::vector<bool>& byRefs,
                                  bool assignment) const;
    std::vector<ParamInfo> eventParams(std::initializer_list<ParamSpec> specs) const;
    void markLastAsDefault();
    void inheritFrom(const ClassInfo& base);
    ClassInfo finish();
    std::size_t memberCount() const noexcept { return m_members.size(); }
    // property() adds two members that asDefault() marks together.
    void lastCallStartsAt(std::size_t position) noexcept { m_lastCallStart = position; }

  private:
    [[noreturn]] void fail(const std::u16string& member, const char* what) const;

    std::u16string m_className;
    std::vector<MemberInfo> m_members;
    std::size_t m_lastCallStart = 0;
};

template <class T>
class ClassBuilder : private MemberListBuilder {
  public:
    explicit ClassBuilder(std::u16string className) : MemberListBuilder(std::move(className)) {}

    template <class F>
    ClassBuilder& method(std::u16string name, F fn, std::initializer_list<ParamSpec> params = {}) {
        addMember(std::move(name), MemberKind::Method, fn, params);
        return *this;
    }
    template <class F>
    ClassBuilder& propertyGet(std::u16string name, F getter, std::initializer_list<ParamSpec> params = {}) {
        addMember(std::move(name), MemberKind::PropertyGet, getter, params);
        return *this;
    }
    template <class F>
    ClassBuilder& propertyLet(std::u16string name, F setter, std::initializer_list<ParamSpec> params = {}) {
        addMember(std::move(name), MemberKind::PropertyLet, setter, params);
        return *this;
    }
    template <class F>
    ClassBuilder& propertySet(std::u16string name, F setter, std::initializer_list<ParamSpec> params = {}) {
        addMember(std::move(name), MemberKind::PropertySet, setter, params);
        return *this;
    }
    // A get and a let (or a set, when the setter takes an object); params name the index parameters.
    template <class G, class S>
    ClassBuilder& property(std::u16string name, G getter, S setter,
                           std::initializer_list<ParamSpec> params = {}) {
        const std::size_t start = memberCount();
        addMember(name, MemberKind::PropertyGet, getter, params);
        addMember(std::move(name), assignmentKindOf<S>(), setter, params);
        lastCallStartsAt(start);
        return *this;
    }
    ClassBuilder& event(std::u16string name, std::initializer_list<ParamSpec> params = {}) {
        add(MemberInfo{std::move(name), MemberKind::Event, eventParams(params), {}, false, {}});
        return *this;
    }
    // Makes the member(s) the previous call declared the default member, reached by an empty name.
    ClassBuilder& asDefault() {
        markLastAsDefault();
        return *this;
    }
    // Takes over a base class's members, in its order (for a class that implements another's interface).
    ClassBuilder& inherit(const ClassInfo& base) {
        inheritFrom(base);
        return *this;
    }
    ClassInfo build() { return finish(); }

  private:
    template <class F>
    void addMember(std::u16string name, MemberKind kind, F fn, std::initializer_list<ParamSpec> specs) {
        using Traits = MemberFnTraits<F>;
        static_assert(std::is_base_of_v<typename Traits::Class, T>,
                      "a member of the class or one of its bases");
        using List = typename Traits::template Params<ParamList>;
        const bool assignment = kind == MemberKind::PropertyLet || kind == MemberKind::PropertySet;
        std::vector<ParamInfo> infos = params(name, specs, List::types(), List::byRefs(), assignment);
        const TypeDesc result = resultTypeOf<typename Traits::Result>();
        add(MemberInfo{std::move(name), kind, std::move(infos), result, false, makeInvoker(fn)});
    }

    template <class F>
    static Invoker makeInvoker(F fn) {
        using Traits = MemberFnTraits<F>;
        return [fn](Object& self, std::span<Variant> args) -> Variant {
            return Traits::template Params<Bound>::call(static_cast<T&>(self), fn, args);
        };
    }

    template <class... P>
    struct Bound {
        template <class F>
        static Variant call(T& self, F fn, std::span<Variant> args) {
            using R = typename MemberFnTraits<F>::Result;
            return invokeMarshalled<R, P...>(self, fn, args, std::index_sequence_for<P...>{});
        }
    };

    template <class S>
    static constexpr MemberKind assignmentKindOf() {
        return MemberFnTraits<S>::template Params<LastIsObject>::value ? MemberKind::PropertySet
                                                                       : MemberKind::PropertyLet;
    }
    template <class... P>
    struct LastIsObject {
        static constexpr bool value = (false, ..., isObjectParam<P>);
    };
};

}  // namespace velmora
