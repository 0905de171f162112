// Waitable timers are deadlines on the steady clock: signalled once the deadline passed. Waiting threads
// sleep on a condition variable that a new SetWaitableTimer wakes.
#include "ui/waitabletimer.h"

#include "platform/filetime.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "eventloop.h"
#include "platform/handles.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;
using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;  // 100 ns

class WaitableTimer : public WaitableObject {
  public:
    explicit WaitableTimer(bool manualReset) : m_manualReset(manualReset) {}

    void arm(Clock::time_point due, std::chrono::milliseconds period) {
        std::lock_guard lock(m_mutex);
        m_due = due;
        m_period = period;
        m_changed.notify_all();
    }
    void cancel() {
        std::lock_guard lock(m_mutex);
        if (m_due && *m_due > Clock::now()) m_due.reset();
        m_period = {};
        m_changed.notify_all();
    }
    // Whether it is signalled now; a wait that sees an auto-reset timer signalled takes the signal.
    bool take() {
        std::lock_guard lock(m_mutex);
        return takeLocked(Clock::now());
    }
    std::optional<Clock::time_point> due() {
        std::lock_guard lock(m_mutex);
        return m_due;
    }

    bool waitUntil(Deadline deadline) override {
        std::unique_lock lock(m_mutex);
        for (;;) {
            const auto now = Clock::now();
            if (takeLocked(now)) return true;
            if (deadline && now >= *deadline) return false;
            auto until = deadline.value_or(Clock::time_point::max());
            if (m_due) until = std::min(until, *m_due);
            if (until == Clock::time_point::max())
                m_changed.wait(lock);
            else
                m_changed.wait_until(lock, until);
        }
    }

  private:
    bool takeLocked(Clock::time_point now) {
        if (!m_due || *m_due > now) return false;
        if (m_period.count() > 0) {
            m_due = *m_due + m_period * ((now - *m_due) / m_period + 1);
            return true;  // a periodic timer signals once per period
        }
        if (!m_manualReset) m_due.reset();
        return true;
    }

    const bool m_manualReset;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Clock::time_point> m_due;  // none: not armed, or an auto-reset signal taken
    std::chrono::milliseconds m_period{};
};

struct NamedTimers {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<WaitableTimer>> byName;
};

NamedTimers& namedTimers() {
    static NamedTimers& instance = *std::make_unique<NamedTimers>().release();  // outlives static handles
    return instance;
}

// The moment a due time names; a delay beyond the clock's reach never comes.
Clock::time_point dueMoment(std::int64_t dueTime) {
    const auto now = Clock::now();
    std::int64_t delay = 0;  // in 100 ns
    if (dueTime < 0) {
        delay = dueTime == INT64_MIN ? INT64_MAX : -dueTime;
    } else {
        const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
        const std::int64_t nowFiletime =
            std::chrono::duration_cast<Ticks>(since1970).count() + kUnixEpochAsFileTime;
        delay = dueTime > nowFiletime ? dueTime - nowFiletime : 0;
    }
    const auto reach = std::chrono::duration_cast<Ticks>(Clock::time_point::max() - now).count();
    if (delay >= reach) return Clock::time_point::max();
    return now + std::chrono::duration_cast<Clock::duration>(Ticks(delay));
}

}  // namespace
}  // namespace velmora

using velmora::WaitableTimer;

HANDLE CreateWaitableTimerA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, LPCSTR lpTimerName) {
    auto& named = velmora::namedTimers();
    std::unique_lock lock(named.mutex, std::defer_lock);
    if (lpTimerName && *lpTimerName) {
        lock.lock();
        if (auto existing = named.byName[lpTimerName].lock()) {
            HANDLE handle = velmora::insertHandle(std::move(existing));
            SetLastError(ERROR_ALREADY_EXISTS);
            return handle;
        }
    }
    auto timer = std::make_shared<WaitableTimer>(bManualReset != FALSE);
    if (lock.owns_lock()) named.byName[lpTimerName] = timer;
    HANDLE handle = velmora::insertHandle(std::move(timer));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL SetWaitableTimer(HANDLE hTimer, const LARGE_INTEGER* lpDueTime, LONG lPeriod,
                      PTIMERAPCROUTINE pfnCompletionRoutine, LPVOID, BOOL) {
    const auto timer = velmora::findHandleOf<WaitableTimer>(hTimer);
    if (!timer) return FALSE;
    if (pfnCompletionRoutine) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (!lpDueTime || lPeriod < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timer->arm(velmora::dueMoment(lpDueTime->QuadPart), std::chrono::milliseconds(lPeriod));
    return TRUE;
}

BOOL CancelWaitableTimer(HANDLE hTimer) {
    const auto timer = velmora::findHandleOf<WaitableTimer>(hTimer);
    if (!timer) return FALSE;
    timer->cancel();
    return TRUE;
}

namespace {

// Step for handles that cannot say when they will be signalled (threads): look again this often.
constexpr auto kHandleStep = std::chrono::milliseconds(10);

// WAIT_OBJECT_0 + index of the signalled handle (or 0 when all are and all were asked for), or nothing.
std::optional<DWORD> signalledHandle(const std::vector<std::shared_ptr<velmora::WaitableObject>>& objects,
                                     bool waitAll) {
    if (waitAll) {
        // Take the signals only once all are there (an auto-reset timer must not lose one meanwhile).
        const bool all = std::all_of(objects.begin(), objects.end(), [](const auto& object) {
            auto timer = std::dynamic_pointer_cast<WaitableTimer>(object);
            if (!timer) return object->waitUntil(std::chrono::steady_clock::now());
            auto due = timer->due();
            return due && *due <= std::chrono::steady_clock::now();
        });
        if (!all) return std::nullopt;
        for (const auto& object : objects)
            if (auto timer = std::dynamic_pointer_cast<WaitableTimer>(object)) timer->take();
        return WAIT_OBJECT_0;
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        auto timer = std::dynamic_pointer_cast<WaitableTimer>(objects[i]);
        const bool signalled =
            timer ? timer->take() : objects[i]->waitUntil(std::chrono::steady_clock::now());
        if (signalled) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
    }
    return std::nullopt;
}

// The next moment worth looking again: the earliest timer due, or a short step for other kinds.
velmora::WaitableObject::Deadline nextLook(
    const std::vector<std::shared_ptr<velmora::WaitableObject>>& objects,
    velmora::WaitableObject::Deadline deadline) {
    auto next = deadline;
    const auto earlier = [&](std::chrono::steady_clock::time_point t) {
        if (!next || t < *next) next = t;
    };
    for (const auto& object : objects) {
        if (auto timer = std::dynamic_pointer_cast<WaitableTimer>(object)) {
            if (auto due = timer->due(); due && *due != std::chrono::steady_clock::time_point::max())
                earlier(*due);
        } else {
            earlier(std::chrono::steady_clock::now() + kHandleStep);
        }
    }
    return next;
}

}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask) {
    if (nCount > MAXIMUM_WAIT_OBJECTS || (nCount > 0 && !pHandles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<velmora::WaitableObject>> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        auto object = velmora::findHandleOf<velmora::WaitableObject>(pHandles[i]);
        if (!object) return WAIT_FAILED;
        objects.push_back(std::move(object));
    }
    velmora::WaitableObject::Deadline deadline;
    if (dwMilliseconds != INFINITE)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    for (;;) {
        if (auto index = signalledHandle(objects, fWaitAll != FALSE)) return *index;
        if (velmora::waitForQueueWork(dwWakeMask, nextLook(objects, deadline))) return WAIT_OBJECT_0 + nCount;
        if (deadline && std::chrono::steady_clock::now() >= *deadline) {
            if (auto index = signalledHandle(objects, fWaitAll != FALSE)) return *index;
            return WAIT_TIMEOUT;
        }
    }
}
