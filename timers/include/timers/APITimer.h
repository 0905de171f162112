// APITimer: a repeating timer driven by the thread's message loop, calling ITick.Tick every Interval ms
// while Enabled. A running timer is held by its thread's timer table, so it keeps ticking after its
// client released it, until it is disabled (or its tick handler fails).
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

// Starting a timer when the platform has none to give.
constexpr std::int32_t kNoTimersAvailable = -2147190491;  // 0x80047925

class VELMORA_API APITimer : public Dispatchable<APITimer> {
  public:
    static const ClassInfo& describe();

    APITimer();
    ~APITimer() override;

    ObjectRef getITick() const { return m_tick; }
    void setITick(ObjectRef sink) { m_tick = std::move(sink); }
    // Writes store the value first; starting may then fail with kNoTimersAvailable.
    bool Enabled() const noexcept { return m_enabled; }
    void setEnabled(bool NewValue);
    std::int32_t Interval() const noexcept { return m_interval; }
    void setInterval(std::int32_t NewInterval);
    // Calls ITick.Tick with this object; errors of the handler reach the caller.
    void RaiseTick();

    // The platform timer running for this object; 0 when none.
    std::int32_t timerId() const noexcept { return m_timerId; }

  private:
    friend class TimerTable;

    ObjectRef m_tick;
    std::int32_t m_timerId = 0;
    std::int32_t m_interval = 0;
    bool m_enabled = false;
};

}  // namespace velmora
