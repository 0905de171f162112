// The plug-in's class table and entry points: one creatable class, Main.
#include "Main.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"

namespace {

velmora::ClassTable makeClassTable() {
    return velmora::ClassTable(u"Blockrune")
        .add<velmora::Main>(u"{5B7E2C94-31A8-4F6D-B0E2-8C4A19D7F365}", u"Blockrune.Main");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
