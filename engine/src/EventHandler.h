// The event source the engine hands to every plug-in call: the plug-in calls RaiseProgress and
// RaiseError by name, and they come out as the Progress and Error events the engine listens to.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora {

class EventHandler : public Dispatchable<EventHandler> {
  public:
    static const ClassInfo& describe();
    EventSource* events() noexcept override { return &m_events; }

    void RaiseProgress(std::int32_t Percent);
    void RaiseError(std::int32_t Number, std::u16string Description, std::u16string Source);

  private:
    EventSource m_events{*this};
};

}  // namespace velmora
