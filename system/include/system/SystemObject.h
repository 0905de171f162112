// SystemObject: what the system library tells its callers about the machine, and the cooperative yield
// that long loops call between units of work so that the caller's user interface stays alive.
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "platform/queue.h"

namespace velmora {

// Masks of the kinds of waiting input Do_Events reacts to (GetQueueStatus flags).
enum QueueMessagesUsed : std::int32_t {
    All_Inputs = 255,
    All_Events = 191,
    Standard = 165,
    Messages = 72,
    InputOnly = 7,
    Mouse = 6,
    MouseMove = 2,
    Timer = 16,
};

class SystemObject : public Dispatchable<SystemObject> {
  public:
    static const ClassInfo& describe();

    // Any 32-bit value is kept as given; 0 (the default) makes Do_Events a no-op.
    std::int32_t QueueUsed() const noexcept { return m_queueUsed; }
    void setQueueUsed(std::int32_t mask) noexcept { m_queueUsed = mask; }

    // Handles waiting input once when input of a kind in QueueUsed is waiting; returns at once otherwise.
    // Inline: the cipher calls it after every 32-byte block.
    void Do_Events() {
        if (GetQueueStatus(static_cast<UINT>(m_queueUsed)) != 0) velmora::processWaitingMessages();
    }

  private:
    std::int32_t m_queueUsed = 0;
};

}  // namespace velmora
