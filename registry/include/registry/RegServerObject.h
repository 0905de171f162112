// Registers or unregisters a self-registering component library by running its registration entry
// point on a thread of its own, waiting at most 10,000 ms for it.
#pragma once

#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API RegServerObject : public Dispatchable<RegServerObject> {
  public:
    static const ClassInfo& describe();

    // True when the library's DllRegisterServer (DllUnregisterServer when bUnReg) ran to its end and
    // reported success; false for a missing file, a file that is no library, a library without the
    // entry point, an entry point that failed and one still running after the wait.
    bool RegSvr32(std::u16string FileName, bool& bUnReg);
};

}  // namespace velmora
