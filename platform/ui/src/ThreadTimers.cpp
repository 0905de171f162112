#include "ThreadTimers.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>
#include <algorithm>

#include "ui/handlers.h"

namespace velmora {
namespace {

constexpr UINT_PTR kLastId = 0x7FFFFFFF;  // ids fit the suite's 32-bit signed variables

const QEvent::Type kTimerMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class TimerMessage : public QEvent {
  public:
    explicit TimerMessage(UINT_PTR id) : QEvent(kTimerMessage), m_id(id) {}
    UINT_PTR id() const noexcept { return m_id; }

  private:
    UINT_PTR m_id;
};

}  // namespace

ThreadTimers::ThreadTimers() {
    setObjectName(QStringLiteral("ThreadTimers"));
}

UINT_PTR ThreadTimers::freshId() {
    do {
        m_lastId = m_lastId >= kLastId ? 1 : m_lastId + 1;
    } while (m_timers.count(m_lastId));
    return m_lastId;
}

UINT_PTR ThreadTimers::set(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    auto existing = id ? m_timers.find(id) : m_timers.end();
    if (existing == m_timers.end()) {
        id = freshId();
        existing = m_timers.emplace(id, Timer{}).first;
    } else {
        // Setting a running id restarts it with the new period and callback.
        killTimer(existing->second.qtId);
        m_byQtId.erase(existing->second.qtId);
    }
    Timer& timer = existing->second;
    timer.qtId = startTimer(std::chrono::milliseconds(elapse));
    if (timer.qtId == 0) {
        m_timers.erase(existing);
        return 0;
    }
    timer.elapse = elapse;
    timer.proc = proc;
    timer.due = Clock::now() + std::chrono::milliseconds(elapse);
    m_byQtId[timer.qtId] = id;
    return id;
}

bool ThreadTimers::kill(UINT_PTR id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) return false;
    killTimer(it->second.qtId);
    m_byQtId.erase(it->second.qtId);
    m_timers.erase(it);  // a message still queued for it finds no timer and is dropped
    return true;
}

bool ThreadTimers::anyWaiting() const {
    const auto now = Clock::now();
    return std::any_of(m_timers.begin(), m_timers.end(), [&](const auto& entry) {
        return entry.second.messageWaiting || entry.second.due <= now;
    });
}

void ThreadTimers::timerEvent(QTimerEvent* event) {
    const auto found = m_byQtId.find(event->timerId());
    if (found == m_byQtId.end()) return;
    Timer& timer = m_timers.at(found->second);
    timer.due = Clock::now() + std::chrono::milliseconds(timer.elapse);
    if (timer.messageWaiting) return;  // expiries coalesce into the one waiting message
    timer.messageWaiting = true;
    QCoreApplication::postEvent(this, new TimerMessage(found->second));  // Qt owns posted events
}

bool ThreadTimers::event(QEvent* event) {
    if (event->type() != kTimerMessage) return QObject::event(event);
    deliver(static_cast<TimerMessage*>(event)->id());
    return true;
}

void ThreadTimers::deliver(UINT_PTR id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    it->second.messageWaiting = false;
    const TIMERPROC proc = it->second.proc;
    runHandler([&] { proc(0, WM_TIMER, id, GetTickCount()); });
}

}  // namespace velmora
