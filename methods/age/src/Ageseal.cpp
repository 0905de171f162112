// The plug-in's class table and entry points: one creatable class, Main.
#include "Main.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"

namespace {

velmora::ClassTable makeClassTable() {
    return velmora::ClassTable(u"Ageseal")
        .add<velmora::ageseal::Main>(u"{D8237CE1-2C5C-4793-B733-9E25A0B49645}", u"Ageseal.Main");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
