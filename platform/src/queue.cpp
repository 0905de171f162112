// GetQueueStatus and the one-pass pump, answered by the GUI layer's hook when it has installed one.
#include "platform/queue.h"

#include <atomic>

namespace velmora {
namespace {

// Set at run time, read on every yield (once per cipher block): plain atomics, no lock.
std::atomic<DWORD (*)(UINT)> g_queueStatus{nullptr};
std::atomic<void (*)()> g_processMessages{nullptr};

}  // namespace

void processWaitingMessages() {
    if (auto process = g_processMessages.load(std::memory_order_acquire)) process();
}

MessageQueueHook setMessageQueueHook(MessageQueueHook hook) noexcept {
    MessageQueueHook previous;
    previous.queueStatus = g_queueStatus.exchange(hook.queueStatus, std::memory_order_acq_rel);
    previous.processMessages = g_processMessages.exchange(hook.processMessages, std::memory_order_acq_rel);
    return previous;
}

}  // namespace velmora

DWORD GetQueueStatus(UINT flags) {
    auto status = velmora::g_queueStatus.load(std::memory_order_acquire);
    if (!status) return 0;
    // A hook may answer more than was asked; the caller sees only the kinds it named.
    const DWORD asked = flags & 0xFFFF;
    return status(flags) & (asked << 16 | asked);
}
