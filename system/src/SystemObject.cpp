#include "system/SystemObject.h"

namespace velmora {

const ClassInfo& SystemObject::describe() {
    static const ClassInfo info =
        ClassBuilder<SystemObject>(u"SystemObject")
            .property(u"QueueUsed", &SystemObject::QueueUsed, &SystemObject::setQueueUsed)
            .method(u"Do_Events", &SystemObject::Do_Events)
            .build();
    return info;
}

}  // namespace velmora
