#include "system/SystemObject.h"

#include "platform/queue.h"

namespace velmora {

const ClassInfo& SystemObject::describe() {
    static const ClassInfo info =
        ClassBuilder<SystemObject>(u"SystemObject")
            .property(u"QueueUsed", &SystemObject::QueueUsed, &SystemObject::setQueueUsed)
            .method(u"Do_Events", &SystemObject::Do_Events)
            .build();
    return info;
}

void SystemObject::Do_Events() {
    // Called once per cipher block: with the default mask of 0 this is one load and a compare.
    if (GetQueueStatus(static_cast<UINT>(m_queueUsed)) != 0) processWaitingMessages();
}

}  // namespace velmora
