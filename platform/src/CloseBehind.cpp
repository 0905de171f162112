#include "CloseBehind.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace velmora {
namespace {

// One closing thread and what it has still to close. Never destroyed: closes may be handed over until
// the process ends.
struct Closer {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<UniqueFd> queue;
    bool running = false;
};

Closer* g_closer = nullptr;
// Descriptors handed over before the thread is woken; fewer may wait until the process ends, which then
// closes them.
constexpr std::size_t kBatch = 16;

void run(Closer* closer) {
    std::unique_lock lock(closer->mutex);
    for (;;) {
        closer->wake.wait(lock, [closer] { return !closer->queue.empty(); });
        UniqueFd fd = std::move(closer->queue.front());
        closer->queue.pop_front();
        lock.unlock();
        fd.reset();
        lock.lock();
    }
}

// A forked child has no closing thread, and a copy of the parent's state that it must not wait on: it
// starts afresh (the descriptors it inherited close with it, or at its exec).
void beforeFork() {
    g_closer->mutex.lock();
}
void afterForkInParent() {
    g_closer->mutex.unlock();
}
void afterForkInChild() {
    g_closer = new Closer;
}

Closer& closer() {
    static const bool ready = [] {
        g_closer = new Closer;
        pthread_atfork(&beforeFork, &afterForkInParent, &afterForkInChild);
        return true;
    }();
    static_cast<void>(ready);
    return *g_closer;
}

}  // namespace

void closeBehind(UniqueFd fd) {
    if (!fd) return;
    Closer& state = closer();
    std::unique_lock lock(state.mutex);
    if (!state.running) {
        try {
            std::thread(run, &state).detach();
            state.running = true;
        } catch (const std::system_error&) {
            return;  // no thread to be had: fd closes here
        }
    }
    state.queue.push_back(std::move(fd));
    // Waking a thread costs the caller about what one close saves it: the thread is woken for a batch.
    if (state.queue.size() >= kBatch) state.wake.notify_one();
}

}  // namespace velmora
