// Checks and assembly of member declarations; faults in a declaration are programming errors and throw
// std::logic_error when the class's table is first built.
#include "component/ClassBuilder.h"

#include "runtime/text.h"

namespace velmora {

ParamSpec opt(std::u16string name) {
    ParamSpec param(std::move(name));
    param.optional = true;
    return param;
}

ParamSpec opt(std::u16string name, Variant defaultValue) {
    ParamSpec param = opt(std::move(name));
    param.defaultValue = std::move(defaultValue);
    return param;
}

ParamSpec arg(std::u16string name, TypeDesc type, bool byRef) {
    ParamSpec param(std::move(name));
    param.type = type;
    param.byRef = byRef;
    return param;
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
    for (const ParamSpec& param : specs) {
        const std::size_t i = infos.size();
        const bool isValue = assignment && i + 1 == arity;
        if (param.name.empty()) fail(member, "a parameter needs a name");
        if (afterOptional && !param.optional && !isValue)
            fail(member, "a required parameter after an optional one");
        afterOptional = afterOptional || param.optional;
        infos.push_back(ParamInfo{param.name, types[i], byRefs[i], param.optional, param.defaultValue});
    }
    if (valueUnnamed)
        infos.push_back(ParamInfo{u"RHS", types.back(), byRefs.back(), false, Variant::missing()});
    return infos;
}

std::vector<ParamInfo> MemberListBuilder::eventParams(std::initializer_list<ParamSpec> specs) const {
    std::vector<ParamInfo> infos;
    for (const ParamSpec& param : specs) {
        // A parameter given by name only is a Variant passed by reference.
        const bool typed = !param.type.isVoid();
        infos.push_back(ParamInfo{param.name, typed ? param.type : TypeDesc{VarType::Variant},
                                  typed ? param.byRef : true, false, Variant::missing()});
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
