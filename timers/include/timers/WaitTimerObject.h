// WaitTimerObject: a one-shot wait that keeps the caller's window messages flowing. Wait blocks for the
// given milliseconds, then raises Timer; StopTimer (from a handler running during the wait) ends the
// wait early without the event, and every later Wait on the object returns at its first wake-up.
#pragma once

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"
#include "platform/win32types.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API WaitTimerObject : public Dispatchable<WaitTimerObject> {
  public:
    static const ClassInfo& describe();

    WaitTimerObject() = default;
    ~WaitTimerObject() override;

    EventSource* events() noexcept override { return &m_events; }

    void StopTimer();
    // Errors (an enormous MilliSeconds, a timer that cannot be made or waited on) are raised with
    // "[clsWaitableTimer.Wait]" appended to their description.
    void Wait(double& MilliSeconds);

  private:
    void closeTimer() noexcept;
    void waitForTimer();

    bool m_stopped = false;
    HANDLE m_timer = nullptr;
    EventSource m_events{*this};
};

}  // namespace velmora
