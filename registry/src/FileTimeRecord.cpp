#include "FileTimeRecord.h"

namespace velmora {

const ClassInfo& FileTimeRecord::describe() {
    static const ClassInfo info =
        ClassBuilder<FileTimeRecord>(u"FILETIME")
            .property(u"dwLowDateTime", &FileTimeRecord::lowDateTime, &FileTimeRecord::setLowDateTime)
            .property(u"dwHighDateTime", &FileTimeRecord::highDateTime, &FileTimeRecord::setHighDateTime)
            .build();
    return info;
}

}  // namespace velmora
