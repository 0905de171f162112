#include "EngineClient.h"

#include <utility>

namespace velmora {

const ClassInfo& EngineClient::describe() {
    static const ClassInfo info =
        ClassBuilder<EngineClient>(u"EngineClient").inherit(IEventHandler::describe()).build();
    return info;
}

void EngineClient::Progress(ObjectRef, std::int32_t Percent) {
    m_progress.offer(Percent);
}

bool EngineClient::Error(ObjectRef, std::int32_t Number, std::u16string Description, std::u16string Source) {
    ++m_errors;
    m_progress.flush();  // the window shows where the run stood when the message comes
    if (m_error) m_error(Number, Description, Source);
    return false;
}

void EngineClient::detach() {
    m_progress.detach();
    m_error = {};
}

std::int32_t EngineClient::takeErrorCount() {
    return std::exchange(m_errors, 0);
}

}  // namespace velmora
