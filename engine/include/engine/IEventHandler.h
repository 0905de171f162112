// The callback interface through which the engine notifies its client. This class does nothing and is
// the engine's default; a C++ client derives from it (Dispatchable<Client, IEventHandler>, with
// .inherit(IEventHandler::describe()) in its table) and overrides what it wants. Late-bound clients
// just answer Progress and Error by name.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API IEventHandler : public Dispatchable<IEventHandler> {
  public:
    static const ClassInfo& describe();

    virtual void Progress(ObjectRef objEncrypt, std::int32_t Percent);
    // The engine ignores the result.
    virtual bool Error(ObjectRef objEncrypt, std::int32_t Number, std::u16string Description,
                       std::u16string Source);
};

}  // namespace velmora
