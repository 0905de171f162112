#include "platform/waitable.h"

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const auto object = velmora::findHandleOf<velmora::WaitableObject>(hHandle);
    if (!object) return WAIT_FAILED;
    velmora::WaitableObject::Deadline deadline;
    if (dwMilliseconds != INFINITE)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    return object->waitUntil(deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
