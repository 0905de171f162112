// The process's handle table. Every kind of kernel object (file, find search, thread, process, ...) derives
// from HandleObject; its destructor is that kind's close function. The table holds one reference per handle
// value: CloseHandle drops it, and the object ends once no call in progress still holds it, so a handle
// closed on one thread while another thread is inside ReadFile stays safe.
//
// Handle values are small multiples of 4 below 2^30, so they survive a round trip through the suite's
// 32-bit handle variables and OpenFile's HFILE. Values are not reused until the counter wraps, so a stale
// handle is reported as invalid instead of reaching a newer object.
#pragma once

#include <memory>

#include "platform/win32types.h"

namespace velmora {

class HandleObject {
  public:
    virtual ~HandleObject() = default;
};

// Adds an object; returns its new handle (never NULL or INVALID_HANDLE_VALUE).
HANDLE insertHandle(std::shared_ptr<HandleObject> object);

// The object behind a handle, or nullptr with last error ERROR_INVALID_HANDLE.
std::shared_ptr<HandleObject> findHandle(HANDLE handle);

// The object behind a handle when it is of kind T, else nullptr with ERROR_INVALID_HANDLE.
template <class T>
std::shared_ptr<T> findHandleOf(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<T>(findHandle(handle));
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// Removes the handle when it names an object of kind T (any kind when T is HandleObject); returns the
// object, or nullptr with ERROR_INVALID_HANDLE. Dropping the result closes it unless a call still holds it.
std::shared_ptr<HandleObject> removeHandle(HANDLE handle, bool (*isKind)(const HandleObject&) = nullptr);

template <class T>
std::shared_ptr<T> removeHandleOf(HANDLE handle) {
    return std::static_pointer_cast<T>(removeHandle(
        handle, [](const HandleObject& object) { return dynamic_cast<const T*>(&object) != nullptr; }));
}

// Number of open handles (for tests and leak checks).
std::size_t openHandleCount();

}  // namespace velmora

// Closes any handle of the table. FALSE with ERROR_INVALID_HANDLE for NULL, INVALID_HANDLE_VALUE, a closed
// or a made-up handle; never crashes.
BOOL CloseHandle(HANDLE hObject);
