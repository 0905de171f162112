// SendMessageA for the windows that take messages of their own (the animation control); it runs the
// window's handling at once on the calling thread. Other windows answer 0, an unknown handle 0 with
// ERROR_INVALID_WINDOW_HANDLE.
#pragma once

#include "platform/win32types.h"

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

namespace velmora {

// A widget that handles window messages sent to its handle.
class WindowMessageTarget {
  public:
    virtual LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~WindowMessageTarget() = default;
};

}  // namespace velmora
