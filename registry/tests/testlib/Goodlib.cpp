// A real self-registering library for RegSvr32: one class, registered and unregistered by its entry points.
#include "component/ClassBuilder.h"
#include "component/ClassTable.h"
#include "component/ComObject.h"
#include "component/LibraryExports.h"

namespace {

using namespace velmora;

class Probe : public Dispatchable<Probe> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<Probe>(u"Probe").method(u"Answer", &Probe::answer).build();
        return info;
    }
    std::int32_t answer() { return 42; }
};

ClassTable makeClassTable() {
    return ClassTable(u"Goodlib").add<Probe>(u"{5B7E2C90-4A1D-4E3F-8B6C-9D0A1E2F3B41}", u"Goodlib.Probe");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
