#include "timers/WaitTimerObject.h"

#include <cmath>

#include "platform/queue.h"
#include "runtime/Error.h"
#include "ui/waitabletimer.h"

namespace velmora {
namespace {

constexpr DWORD kAllInputKinds = 0xFF;
constexpr std::u16string_view kWhere = u"[clsWaitableTimer.Wait]";
constexpr std::u16string_view kSource = u"Tickwork.WaitTimerObject";

// The relative due time of a wait: MilliSeconds in 100 ns units, negated, as one signed 64-bit value.
LONGLONG relativeDueTime(double milliSeconds) {
    const double units = std::nearbyint(milliSeconds * 10000.0);
    if (!(std::fabs(units) < 9223372036854775807.0)) raise(err::Overflow);
    return -static_cast<LONGLONG>(units);
}

[[noreturn]] void raisePlatformFailure(const char16_t* what) {
    const DWORD code = GetLastError();
    raise(static_cast<std::int32_t>(0x80070000u | (code & 0xFFFF)), what, std::u16string(kSource));
}

}  // namespace

const ClassInfo& WaitTimerObject::describe() {
    static const ClassInfo info = ClassBuilder<WaitTimerObject>(u"WaitTimerObject")
                                      .method(u"StopTimer", &WaitTimerObject::StopTimer)
                                      .method(u"Wait", &WaitTimerObject::Wait, {u"MilliSeconds"})
                                      .event(u"Timer")
                                      .build();
    return info;
}

WaitTimerObject::~WaitTimerObject() {
    closeTimer();
}

void WaitTimerObject::closeTimer() noexcept {
    if (m_timer) CloseHandle(std::exchange(m_timer, nullptr));
}

void WaitTimerObject::StopTimer() {
    closeTimer();
    m_stopped = true;
}

void WaitTimerObject::Wait(double& MilliSeconds) {
    try {
        const LARGE_INTEGER due{.QuadPart = relativeDueTime(MilliSeconds)};
        // Every wait has a timer of its own: a shared one would let a later wait re-arm an earlier one.
        // (A handle a stopped wait left open is closed first.)
        closeTimer();
        m_timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
        if (!m_timer) raisePlatformFailure(u"The wait timer could not be created");
        if (!SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE))
            raisePlatformFailure(u"The wait timer could not be set");
        waitForTimer();
    } catch (const RuntimeError& error) {
        raise(error.number(), error.description() + std::u16string(kWhere), error.source());
    }
}

void WaitTimerObject::waitForTimer() {
    for (;;) {
        const HANDLE timer = m_timer;
        const DWORD woke = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, kAllInputKinds);
        processWaitingMessages();
        if (m_stopped) return;
        if (woke == WAIT_OBJECT_0) {
            closeTimer();
            m_events.fire(u"Timer");
            return;
        }
        // A timer that cannot be waited on would never be seen signalled: give up instead of spinning.
        if (woke == WAIT_FAILED) raisePlatformFailure(u"The wait timer could not be waited on");
    }
}

}  // namespace velmora
