#include "EventHandler.h"

namespace velmora {

const ClassInfo& EventHandler::describe() {
    static const ClassInfo info =
        ClassBuilder<EventHandler>(u"EventHandler")
            .method(u"RaiseProgress", &EventHandler::RaiseProgress, {u"Percent"})
            .method(u"RaiseError", &EventHandler::RaiseError, {u"Number", u"Description", u"Source"})
            .event(u"Progress", {arg(u"Percent", VarType::Long)})
            .event(u"Error", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String),
                              arg(u"Source", VarType::String)})
            .build();
    return info;
}

void EventHandler::RaiseProgress(std::int32_t Percent) {
    m_events.fire(u"Progress", Percent);
}

void EventHandler::RaiseError(std::int32_t Number, std::u16string Description, std::u16string Source) {
    m_events.fire(u"Error", Number, std::move(Description), std::move(Source));
}

}  // namespace velmora
