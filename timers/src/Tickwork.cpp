// The library's class table: the wait, the interval timer and the default tick sink.
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "timers/APITimer.h"
#include "timers/ITick.h"
#include "timers/WaitTimerObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Tickwork")
        .add<WaitTimerObject>(u"{8B4D2E61-3C7A-4F95-A1E0-6D29C5B7F301}", u"Tickwork.WaitTimerObject")
        .add<APITimer>(u"{8B4D2E61-3C7A-4F95-A1E0-6D29C5B7F302}", u"Tickwork.APITimer")
        .add<ITick>(u"{8B4D2E61-3C7A-4F95-A1E0-6D29C5B7F303}", u"Tickwork.ITick");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
