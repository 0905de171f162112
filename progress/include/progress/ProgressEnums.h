// ProgressEnums: an empty creatable class; it exists so that the type library publishes AnimationType.
#pragma once

#include "component/ComObject.h"

namespace velmora {

class ProgressEnums : public Dispatchable<ProgressEnums> {
  public:
    static const ClassInfo& describe();
};

}  // namespace velmora
