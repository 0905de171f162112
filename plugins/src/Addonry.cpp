// The plug-in registry's class table: the plug-in entry and the collection.
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "plugins/PlugIn.h"
#include "plugins/PlugIns.h"

namespace {

velmora::ClassTable makeClassTable() {
    return velmora::ClassTable(u"Addonry")
        .add<velmora::PlugIn>(u"{D6313EC2-4281-4FB5-8AEA-1477095B62F9}", u"Addonry.PlugIn")
        .add<velmora::PlugIns>(u"{BB63813F-27B6-49EE-8FD7-4D1F63D740E8}", u"Addonry.PlugIns");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
