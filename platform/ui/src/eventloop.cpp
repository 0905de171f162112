// Qt cannot say which kind of input waits, only whether its loop has work: its GLib dispatcher answers
// that without dispatching (g_main_context_pending). So waiting work counts as every asked-for kind but
// QS_TIMER, which comes from the thread-timer table.
#include "eventloop.h"

#include <glib.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <thread>
#include <vector>

#include "UiState.h"
#include "platform/queue.h"
#include "ui/application.h"

namespace velmora {
namespace {

constexpr UINT kQueueKinds = QS_ALLINPUT | QS_ALLPOSTMESSAGE;
// Without the GLib dispatcher there is no way to look without dispatching: poll in short steps.
constexpr auto kPollStep = std::chrono::milliseconds(5);
constexpr auto kIdleStep = std::chrono::seconds(1);

thread_local DWORD t_reported = 0;  // kinds reported since the last pass (GetQueueStatus's low word)

bool glibLoop() {
    const auto* dispatcher = QCoreApplication::eventDispatcher();
    return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

bool loopHasWork() {
    return glibLoop() ? g_main_context_pending(g_main_context_default()) : true;
}

DWORD waitingKinds(UINT flags) {
    DWORD kinds = 0;
    if ((flags & QS_TIMER) && uiState() && uiState()->timers().anyWaiting()) kinds |= QS_TIMER;
    const UINT others = flags & kQueueKinds & ~QS_TIMER;
    if (others && loopHasWork()) kinds |= others;
    return kinds;
}

// One prepare / poll / check round of the GLib context, without its dispatch; true when work is ready.
bool pollGlib(GMainContext* context, int timeoutMs) {
    gint priority = 0;
    const bool readyNow = g_main_context_prepare(context, &priority);
    std::vector<GPollFD> fds(16);
    gint loopTimeout = -1;
    gint count = 0;
    while ((count = g_main_context_query(context, priority, &loopTimeout, fds.data(),
                                         static_cast<gint>(fds.size()))) > static_cast<gint>(fds.size()))
        fds.resize(count);
    int timeout = readyNow ? 0 : timeoutMs;
    if (loopTimeout >= 0 && (timeout < 0 || loopTimeout < timeout)) timeout = loopTimeout;
    g_main_context_get_poll_func(context)(fds.data(), count, timeout);
    return g_main_context_check(context, priority, fds.data(), count);
}

int millisecondsUntil(std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (!deadline) return -1;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}

}  // namespace

DWORD guiQueueStatus(UINT flags) {
    if (!onGuiThread()) return 0;
    const DWORD now = waitingKinds(flags & 0xFFFF);
    const DWORD fresh = now & ~t_reported;
    t_reported |= now;
    return now << 16 | fresh;
}

void guiProcessMessages() {
    if (!onGuiThread()) return;
    t_reported = 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitForQueueWork(UINT mask, std::optional<std::chrono::steady_clock::time_point> deadline) {
    mask &= kQueueKinds;
    if (!mask || !onGuiThread()) {
        // Nothing can arrive: sleep to the deadline (the caller looks again after a long step if none).
        std::this_thread::sleep_until(deadline.value_or(std::chrono::steady_clock::now() + kIdleStep));
        return false;
    }
    for (;;) {
        if (waitingKinds(mask)) return true;
        const int left = millisecondsUntil(deadline);
        if (left == 0) return false;
        GMainContext* context = g_main_context_default();
        if (glibLoop() && g_main_context_acquire(context)) {
            // A due thread timer wakes the poll through Qt's own timer source.
            const bool ready = pollGlib(context, left);
            g_main_context_release(context);
            if (ready && waitingKinds(mask)) return true;
            // Work of kinds not asked for stays ready until a pass takes it: do not spin on it.
            if (ready) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            std::this_thread::sleep_for(left < 0 ? kPollStep
                                                 : std::min(kPollStep, std::chrono::milliseconds(left)));
        }
    }
}

}  // namespace velmora
