// ITick: the callback an APITimer calls every period. The creatable class is the do-nothing default
// sink; a client implements the interface by deriving from it (Dispatchable<Client, ITick>) or hands any
// object with a Tick member.
#pragma once

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API ITick : public Dispatchable<ITick> {
  public:
    static const ClassInfo& describe();

    virtual void Tick(ObjectRef& objAPITimer);
};

}  // namespace velmora
