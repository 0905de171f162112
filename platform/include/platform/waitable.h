// Waiting on handles. A handle kind that can be waited on (threads; processes later) derives from
// WaitableObject and is found through the handle table of platform/handles.h.
#pragma once

#include "platform/handles.h"
#include "platform/win32types.h"

#include <chrono>
#include <optional>

namespace velmora {

class WaitableObject : public HandleObject {
  public:
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;  // none: wait for ever
    // True once the object is signalled; false when the deadline passed first.
    virtual bool waitUntil(Deadline deadline) = 0;
};

}  // namespace velmora

// Waits up to dwMilliseconds (INFINITE: for ever; 0: just tests) for the object: WAIT_OBJECT_0 when it is
// signalled (a thread: it has ended), WAIT_TIMEOUT, or WAIT_FAILED with ERROR_INVALID_HANDLE for a handle
// that is closed, made up, or of a kind that cannot be waited on.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
