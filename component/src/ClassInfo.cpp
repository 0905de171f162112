// Name lookup of a class's members, built once per class.
#include "component/ClassInfo.h"

#include <limits>
#include <stdexcept>

#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {

// Which member kinds a call of each kind may reach, the exact kind first.
struct KindRule {
    InvokeKind flag;
    MemberKind first;
    MemberKind second;
};
constexpr KindRule kKindRules[] = {
    {InvokeMethod, MemberKind::Method, MemberKind::PropertyGet},
    {InvokePropertyGet, MemberKind::PropertyGet, MemberKind::Method},
    {InvokePropertyLet, MemberKind::PropertyLet, MemberKind::PropertySet},
    {InvokePropertySet, MemberKind::PropertySet, MemberKind::PropertyLet},
};

}  // namespace

ClassInfo::ClassInfo(std::u16string name, std::vector<MemberInfo> members)
    : m_name(std::move(name)), m_members(std::move(members)) {
    if (m_members.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        throw std::logic_error(toUtf8(m_name) + ": too many members");
    // Room for every member's name and the default member's, at most half full.
    std::size_t capacity = 8;
    while (capacity < 2 * (m_members.size() + 1)) capacity *= 2;
    m_names.resize(capacity);
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        index(m_members[i].name, i);
        if (m_members[i].isDefault) index(std::u16string(), i);
    }
}

ClassInfo::NameEntry& ClassInfo::entryFor(std::u16string_view name) {
    const std::size_t hash = NameHash{}(name);
    const std::size_t mask = m_names.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        NameEntry& entry = m_names[i];
        if (entry.used && entry.hash == hash && namesEqual(entry.name, name)) return entry;
        if (entry.used) continue;
        entry.used = true;
        entry.hash = hash;
        entry.name = name;
        return entry;
    }
}

const ClassInfo::NameEntry* ClassInfo::lookup(std::u16string_view name) const noexcept {
    const std::size_t hash = NameHash{}(name);
    const std::size_t mask = m_names.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const NameEntry& entry = m_names[i];
        if (!entry.used) return nullptr;
        if (entry.hash == hash && namesEqual(entry.name, name)) return &entry;
    }
}

void ClassInfo::index(const std::u16string& key, std::size_t position) {
    Slots& slots = entryFor(key).slots;
    std::int16_t& slot = slots[static_cast<std::size_t>(m_members[position].kind)];
    if (slot >= 0) {
        const char* what = key.empty() ? ": a second default member of that kind" : ": declared twice";
        throw std::logic_error(toUtf8(m_name + u"." + m_members[position].name) + what);
    }
    slot = static_cast<std::int16_t>(position);
}

const MemberInfo* ClassInfo::at(const Slots& slots, MemberKind kind) const noexcept {
    const std::int16_t position = slots[static_cast<std::size_t>(kind)];
    return position >= 0 ? &m_members[static_cast<std::size_t>(position)] : nullptr;
}

const MemberInfo* ClassInfo::find(std::u16string_view name, InvokeKind kind) const noexcept {
    const NameEntry* entry = lookup(name);
    if (!entry) return nullptr;
    for (const KindRule& rule : kKindRules)
        if (kind & rule.flag)
            if (const MemberInfo* member = at(entry->slots, rule.first)) return member;
    for (const KindRule& rule : kKindRules)
        if (kind & rule.flag)
            if (const MemberInfo* member = at(entry->slots, rule.second)) return member;
    return nullptr;
}

const MemberInfo* ClassInfo::findEvent(std::u16string_view name) const noexcept {
    const NameEntry* entry = lookup(name);
    return entry ? at(entry->slots, MemberKind::Event) : nullptr;
}

Variant ClassInfo::invoke(Object& self, std::u16string_view name, InvokeKind kind,
                          std::span<Variant> args) const {
    const MemberInfo* member = find(name, kind);
    if (!member) raise(err::NoSuchMember);
    return member->call(self, args);
}

}  // namespace velmora
