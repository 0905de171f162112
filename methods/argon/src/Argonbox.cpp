// The plug-in's class table and entry points: one creatable class, Main.
#include "Main.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"

namespace {

velmora::ClassTable makeClassTable() {
    return velmora::ClassTable(u"Argonbox")
        .add<velmora::argonbox::Main>(u"{C4E81F27-6A3D-4B95-8E0C-2F7B94D13A58}", u"Argonbox.Main");
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
