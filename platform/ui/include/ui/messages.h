// SendMessageA for the windows that take messages of their own (the animation control); it runs the
// window's procedure (windowproc.h) at once on the calling thread, ending in the window's own handling.
// Other windows answer what their procedures answer (0 by default), an unknown handle 0 with
// ERROR_INVALID_WINDOW_HANDLE.
//
// Parameters that point to memory are checked before the window sees them: a target names, per message,
// which parameter is a pointer and to what. A parameter that cannot be read as that is refused (0, with
// ERROR_NOACCESS) instead of faulting the process, since such numbers may come from another process;
// callers passing on a number someone else chose turn that answer into their own error.
#pragma once

#include <cstddef>

#include "platform/win32types.h"

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

namespace velmora {

// What a message parameter holds.
enum class MessageParameter {
    Value,         // a number
    Text,          // a pointer to a NUL-terminated text
    ResourceText,  // a resource identifier (below 0x10000) or a pointer to a text
    Record,        // a pointer to a record of recordSize bytes
};

struct MessageParameters {
    MessageParameter wParam = MessageParameter::Value;
    MessageParameter lParam = MessageParameter::Value;
    std::size_t recordSize = 0;
};

// A widget that handles window messages sent to its handle.
class WindowMessageTarget {
  public:
    virtual LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The messages whose parameters point to memory say so here; all others take numbers.
    virtual MessageParameters parametersOf(UINT) const { return {}; }

  protected:
    ~WindowMessageTarget() = default;
};

// True when `value` can be read as what `kind` says it is.
bool isReadableParameter(MessageParameter kind, std::intptr_t value, std::size_t recordSize);

}  // namespace velmora
