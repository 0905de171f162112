#include "EnvironmentalVarObject.h"

#include "platform/ScriptHostEnvironment.h"
#include "runtime/text.h"

namespace velmora {

// Each call takes a fresh view of the scope, as each call of the original makes a new shell object.
std::u16string EnvironmentalVarObject::GetVariable(const std::u16string& VarName) {
    try {
        return fromUtf8(ScriptHostEnvironment().item(toUtf8(VarName)).value_or(std::string()));
    } catch (...) {
        return {};
    }
}

bool EnvironmentalVarObject::SetVariable(const std::u16string& VarName, const std::u16string& Value) {
    try {
        return ScriptHostEnvironment().setItem(toUtf8(VarName), toUtf8(Value));
    } catch (...) {
        return false;
    }
}

bool EnvironmentalVarObject::DeleteVariable(const std::u16string& VarName) {
    try {
        return ScriptHostEnvironment().remove(toUtf8(VarName));
    } catch (...) {
        return false;
    }
}

const ClassInfo& EnvironmentalVarObject::describe() {
    static const ClassInfo info =
        ClassBuilder<EnvironmentalVarObject>(u"EnvironmentalVarObject")
            .method(u"GetVariable", &EnvironmentalVarObject::GetVariable, {u"VarName"})
            .method(u"SetVariable", &EnvironmentalVarObject::SetVariable, {u"VarName", u"Value"})
            .method(u"DeleteVariable", &EnvironmentalVarObject::DeleteVariable, {u"VarName"})
            .build();
    return info;
}

}  // namespace velmora
