#include "timers/APITimer.h"

#include "component/calls.h"
#include "timers/ITick.h"
#include "timers/TimerTable.h"
#include "ui/timers.h"

namespace velmora {

const ClassInfo& APITimer::describe() {
    static const ClassInfo info = ClassBuilder<APITimer>(u"APITimer")
                                      .property(u"ITick", &APITimer::getITick, &APITimer::setITick)
                                      .propertyGet(u"Enabled", &APITimer::Enabled)
                                      .propertyLet(u"Enabled", &APITimer::setEnabled, {u"NewValue"})
                                      .propertyGet(u"Interval", &APITimer::Interval)
                                      .propertyLet(u"Interval", &APITimer::setInterval, {u"NewInterval"})
                                      .method(u"RaiseTick", &APITimer::RaiseTick)
                                      .build();
    return info;
}

APITimer::APITimer() : m_tick(makeObject<ITick>()) {}

APITimer::~APITimer() {
    if (m_timerId != 0) KillTimer(0, static_cast<UINT_PTR>(m_timerId));
}

void APITimer::setEnabled(bool NewValue) {
    if (NewValue == m_enabled) return;
    m_enabled = NewValue;
    if (m_interval == 0) return;
    if (NewValue) {
        TimerTable::ofThisThread().start(*this, m_interval);
    } else if (m_timerId != 0) {
        TimerTable::ofThisThread().stop(*this);
        m_timerId = 0;
    }
}

void APITimer::setInterval(std::int32_t NewInterval) {
    if (NewInterval == m_interval) return;
    m_interval = NewInterval;
    if (m_timerId != 0) {
        TimerTable::ofThisThread().stop(*this);
        m_timerId = 0;
    }
    if (NewInterval != 0 && m_enabled) TimerTable::ofThisThread().start(*this, NewInterval);
}

void APITimer::RaiseTick() {
    Variant self{ObjectRef(this)};
    call(m_tick, u"Tick", self);
}

}  // namespace velmora
