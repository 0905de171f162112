// Text listings of classes, enumerations and libraries.
#include "component/typelisting.h"

#include <string>

#include "runtime/text.h"

namespace velmora {

namespace {

std::u16string numberText(std::int64_t value) {
    return fromUtf8(std::to_string(value));
}

std::u16string defaultText(const Variant& value) {
    if (!value.isString()) return value.toString();
    std::u16string quoted = u"\"";
    for (char16_t c : value.stringRef()) {
        if (c == u'"') quoted += u'"';  // doubled, as in a string literal
        quoted += c;
    }
    return quoted + u"\"";
}

std::u16string paramText(const ParamInfo& param) {
    std::u16string text = param.optional ? u"Optional " : u"";
    text += param.byRef ? u"ByRef " : u"ByVal ";
    text += param.name + u" As " + typeText(param.type);
    if (param.hasDefault()) text += u" = " + defaultText(param.defaultValue);
    return text;
}

std::u16string keywordOf(const MemberInfo& member) {
    switch (member.kind) {
        case MemberKind::Method:
            return member.result.isVoid() ? u"Sub" : u"Function";
        case MemberKind::PropertyGet:
            return u"Property Get";
        case MemberKind::PropertyLet:
            return u"Property Let";
        case MemberKind::PropertySet:
            return u"Property Set";
        case MemberKind::Event:
            return u"Event";
    }
    return u"";
}

}  // namespace

std::u16string typeText(TypeDesc type) {
    return varTypeName(type.type) + (type.isArray ? u"()" : u"");
}

std::u16string listMember(const MemberInfo& member) {
    std::u16string text = member.isDefault ? u"[Default] " : u"";
    text += keywordOf(member) + u" " + member.name + u"(";
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        if (i > 0) text += u", ";
        text += paramText(member.params[i]);
    }
    text += u")";
    if (!member.result.isVoid()) text += u" As " + typeText(member.result);
    return text;
}

std::u16string listClass(const ClassInfo& info) {
    std::u16string text = u"Class " + info.name() + u"\n";
    for (const MemberInfo& member : info.members()) text += u"    " + listMember(member) + u"\n";
    return text + u"End Class\n";
}

std::u16string listEnum(const EnumInfo& info) {
    std::u16string text = u"Enum " + info.name + u"\n";
    for (const EnumInfo::Value& value : info.values)
        text += u"    " + value.first + u" = " + numberText(value.second) + u"\n";
    return text + u"End Enum\n";
}

std::u16string listLibrary(const LibraryInfo& library) {
    std::u16string text = u"Library " + library.name() + u"\n";
    for (const ClassInfo* info : library.classes()) text += u"\n" + listClass(*info);
    for (const EnumInfo& info : library.enums()) text += u"\n" + listEnum(info);
    return text;
}

}  // namespace velmora
