// EnvironmentalVarObject: reads, sets and deletes variables of the script host's default environment
// scope, which persists in the suite's registry (platform/ScriptHostEnvironment.h). Never raises.
#pragma once

#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class EnvironmentalVarObject : public Dispatchable<EnvironmentalVarObject> {
  public:
    static const ClassInfo& describe();

    // Empty for an unset variable, a name that is empty or holds "=", or any failure.
    std::u16string GetVariable(const std::u16string& VarName);
    // True when the value was stored.
    bool SetVariable(const std::u16string& VarName, const std::u16string& Value);
    // True when the variable was there and is gone.
    bool DeleteVariable(const std::u16string& VarName);
};

}  // namespace velmora
