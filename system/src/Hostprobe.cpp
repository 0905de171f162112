// The system library's class table and entry points.
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "system/SystemObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Hostprobe")
        .add<SystemObject>(u"{A3C5E1F0-7B2D-4C8E-9F13-5D6B8A4E2C71}", u"Hostprobe.SystemObject")
        .enumeration(u"QueueMessagesUsed", {{u"All_Inputs", All_Inputs},
                                            {u"All_Events", All_Events},
                                            {u"Standard", Standard},
                                            {u"Messages", Messages},
                                            {u"InputOnly", InputOnly},
                                            {u"Mouse", Mouse},
                                            {u"MouseMove", MouseMove},
                                            {u"Timer", Timer}});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
