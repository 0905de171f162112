// A class's member table, declared once (see ClassBuilder): late binding by name and the type description.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "component/MemberInfo.h"
#include "component/names.h"

namespace velmora {

class ClassInfo {
  public:
    // Members in interface order. A name may appear once per kind (a property's get, let and set share
    // it); a second entry of the same name and kind, or a second default member of a kind, is a
    // declaration fault (std::logic_error).
    ClassInfo(std::u16string name, std::vector<MemberInfo> members);

    const std::u16string& name() const noexcept { return m_name; }
    std::span<const MemberInfo> members() const noexcept { return m_members; }
    // The position of a member in interface order: the number out-of-process calls identify it by.
    std::size_t indexOf(const MemberInfo& member) const noexcept { return &member - m_members.data(); }

    // The member a late-bound call reaches, or nullptr. An empty name reaches the default member. A
    // method call also reaches a property get of that name and vice versa; a let also reaches a set and
    // vice versa, so clients that do not tell values from objects still find the property.
    const MemberInfo* find(std::u16string_view name, InvokeKind kind) const noexcept;
    const MemberInfo* findEvent(std::u16string_view name) const noexcept;

    // Finds and calls a member on self (an instance of this class); 438 when there is none.
    Variant invoke(Object& self, std::u16string_view name, InvokeKind kind, std::span<Variant> args) const;

  private:
    // Member positions per kind (method, get, let, set, event); -1 where the name has none.
    using Slots = std::array<std::int16_t, 5>;

    // One name of the lookup table: open addressing over a power-of-two size at most half full, built
    // once, so a lookup is a hash and usually one comparison.
    struct NameEntry {
        std::size_t hash = 0;
        std::u16string name;
        Slots slots{-1, -1, -1, -1, -1};
        bool used = false;
    };

    void index(const std::u16string& key, std::size_t position);
    NameEntry& entryFor(std::u16string_view name);
    const NameEntry* lookup(std::u16string_view name) const noexcept;
    const MemberInfo* at(const Slots& slots, MemberKind kind) const noexcept;

    std::u16string m_name;
    std::vector<MemberInfo> m_members;
    std::vector<NameEntry> m_names;
};

}  // namespace velmora
