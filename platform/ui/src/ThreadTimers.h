// Thread timers of the GUI thread. Each is a Qt timer whose expiry queues one timer message (at most one
// waits per timer, as WM_TIMER does); the message calls the callback when the event loop delivers it, so a
// callback that yields can be called again for the same timer from the nested loop.
#pragma once

#include <QObject>
#include <chrono>
#include <map>
#include <unordered_map>

#include "ui/timers.h"

namespace velmora {

class ThreadTimers : public QObject {
    Q_OBJECT

  public:
    ThreadTimers();

    // 0 when Qt refuses the timer.
    UINT_PTR set(UINT_PTR id, UINT elapse, TIMERPROC proc);
    bool kill(UINT_PTR id);
    // Whether a timer message waits or a timer is due (GetQueueStatus's QS_TIMER).
    bool anyWaiting() const;

  protected:
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

  private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        int qtId = 0;
        UINT elapse = 0;
        TIMERPROC proc = nullptr;
        bool messageWaiting = false;
        Clock::time_point due;
    };
    UINT_PTR freshId();
    void deliver(UINT_PTR id);

    std::map<UINT_PTR, Timer> m_timers;
    std::unordered_map<int, UINT_PTR> m_byQtId;
    UINT_PTR m_lastId = 0;
};

}  // namespace velmora
