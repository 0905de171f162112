#include "logging/Tracebook.h"

#include "logging/LogObject.h"

namespace velmora::tracebook {

const ClassTable& classTable() {
    static const ClassTable table =
        ClassTable(kLibraryName)
            .add<LogObject>(kClsidLogObject, u"Tracebook.LogObject")
            .enumeration(u"LogType",
                         {{u"Info", Info}, {u"Warning", Warning}, {u"CriticalError", CriticalError}});
    return table;
}

}  // namespace velmora::tracebook
