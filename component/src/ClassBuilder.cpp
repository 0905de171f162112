// Checks and assembly of member declarations; faults in a declaration are programming errors and throw
// std::logic_error when the class's table is first built.
#include "component/ClassBuilder.h"

#include "runtime/text.h"

namespace velmora {

ParamSpec opt(std::u16string name) {
    ParamSpec spec(std::move(name));
    spec.optional = true;
    return spec;
}

ParamSpec opt(std::u16string name, Variant defaultValue) {
    ParamSpec spec = opt(std::move(name));
    spec.defaultValue = std::move(defaultValue);
    return spec;
}

ParamSpec arg(std::u16string name, TypeDesc type, bool byRef) {
    ParamSpec spec(std::move(name));
    spec.type = type;
    spec.byRef = byRef;
    return spec;
}

void MemberListBuilder::add(MemberInfo member) {
    if (member.name.empty()) fail(member.name, "a member needs a name");
    m_lastCallStart = m_members.size();
    m_members.push_back(std::move(member));
}

std::vector<ParamInfo> MemberListBuilder::params(const std::u16string& member,
                                                 std::initializer_list<ParamSpec> specs,
                                                 const std::vector<TypeDesc>& types,
                                                 const std::vector<bool>& byRefs, bool assignment) const {
    const std::size_t arity = types.size();
    if (assignment && arity == 0) fail(member, "a property assignment takes the value as its last parameter");
    const bool valueUnnamed = assignment && specs.size() + 1 == arity;
    if (specs.size() != arity && !valueUnnamed) fail(member, "give one name per parameter");

    std::vector<ParamInfo> infos;
    bool afterOptional = false;
    for (const ParamSpec& spec : specs) {
        const std::size_t i = infos.size();
        const bool isValue = assignment && i + 1 == arity;
        if (spec.name.empty()) fail(member, "a parameter needs a name");
        if (afterOptional && !spec.optional && !isValue)
            fail(member, "a required parameter after an optional one");
        afterOptional = afterOptional || spec.optional;
        infos.push_back(ParamInfo{spec.name, types[i], byRefs[i], spec.optional, spec.defaultValue});
    }
    if (valueUnnamed)
        infos.push_back(ParamInfo{u"RHS", types.back(), byRefs.back(), false, Variant::missing()});
    return infos;
}

std::vector<ParamInfo> MemberListBuilder::eventParams(std::initializer_list<ParamSpec> specs) const {
    std::vector<ParamInfo> infos;
    for (const ParamSpec& spec : specs) {
        // A parameter given by name only is a Variant passed by reference.
        const bool typed = !spec.type.isVoid();
        infos.push_back(ParamInfo{spec.name, typed ? spec.type : TypeDesc{VarType::Variant},
                                  typed ? spec.byRef : true, false, Variant::missing()});
    }
    return infos;
}

void MemberListBuilder::markLastAsDefault() {
    if (m_members.empty()) fail(u"", "asDefault() follows the member it marks");
    for (std::size_t i = m_lastCallStart; i < m_members.size(); ++i) m_members[i].isDefault = true;
}

void MemberListBuilder::inheritFrom(const ClassInfo& base) {
    m_lastCallStart = m_members.size();
    m_members.insert(m_members.end(), base.members().begin(), base.members().end());
}

ClassInfo MemberListBuilder::finish() {
    return ClassInfo(m_className, std::move(m_members));
}

void MemberListBuilder::fail(const std::u16string& member, const char* what) const {
    throw std::logic_error(toUtf8(m_className + u"." + member) + ": " + what);
}

}  // namespace velmora
