// Hookline: window-message subclassing. A handler registers for one message number of one window and
// is called with the window, the message and both parameters whenever the window receives it, before
// the window's own handling. The window then handles the message as usual unless the handler's response
// asks to consume it. Registrations end with DetachMessage or when the window is destroyed (after the
// handlers saw WM_DESTROY).
#pragma once

#include <cstdint>

#include "platform/win32types.h"

namespace velmora {

// What a handler answers through ISubclass_MsgResponse.
enum EMsgResponse : std::int32_t {
    emrConsume = 1,     // the window does not handle the message (where the message can be withheld)
    emrPreprocess = 2,  // the handler sees it first; the window handles it as usual
};

class ISubclass {
  public:
    virtual std::int32_t ISubclass_MsgResponse() = 0;
    virtual void setISubclass_MsgResponse(std::int32_t response) = 0;
    // For WM_GETMINMAXINFO lParam points to the window's MINMAXINFO, which the handler may change.
    virtual LRESULT iSubclass_WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~ISubclass() = default;
};

class Hookline {
  public:
    // False for a window that does not exist, a null handler, or a registration that is already there.
    // The handler is not owned: it detaches itself before it ends.
    static bool AttachMessage(ISubclass* handler, HWND hWnd, UINT iMsg);
    // False when that registration does not exist. Safe from inside a handler.
    static bool DetachMessage(ISubclass* handler, HWND hWnd, UINT iMsg);
    // Every registration of the handler, on any window (for a handler that ends).
    static void DetachAll(ISubclass* handler);
};

}  // namespace velmora
