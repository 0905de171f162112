// A class object: creates instances of one class. Libraries hand these out by class id; creation by
// programmatic id goes registry -> library -> class object -> instance.
#pragma once

#include "component/ComObject.h"
#include "runtime/Object.h"

namespace velmora {

struct CoClass;

class ClassFactory : public Dispatchable<ClassFactory> {
  public:
    static const ClassInfo& describe();  // CreateInstance, so that a class object can be called remotely

    virtual ObjectRef createInstance() = 0;
};

// The class object of one entry of a class table; the entry must outlive it (tables are static).
Ref<ClassFactory> makeClassFactory(const CoClass& entry);

}  // namespace velmora
