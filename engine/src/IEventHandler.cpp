#include "engine/IEventHandler.h"

namespace velmora {

const ClassInfo& IEventHandler::describe() {
    static const ClassInfo info =
        ClassBuilder<IEventHandler>(u"IEventHandler")
            .method(u"Progress", &IEventHandler::Progress, {u"objEncrypt", u"Percent"})
            .method(u"Error", &IEventHandler::Error, {u"objEncrypt", u"Number", u"Description", u"Source"})
            .build();
    return info;
}

void IEventHandler::Progress(ObjectRef, std::int32_t) {}

bool IEventHandler::Error(ObjectRef, std::int32_t, std::u16string, std::u16string) {
    return false;
}

}  // namespace velmora
