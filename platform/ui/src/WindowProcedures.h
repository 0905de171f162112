// How the window layer hands messages to window procedures (windowproc.h): a plain delivery, and one that
// stands for a Qt event, whose own handling follows only when the message got as far as the class
// procedure.
#pragma once

#include "ui/windowproc.h"

namespace velmora {

// The handle of every window's class procedure (the first of the procedure table).
inline constexpr LONG_PTR kClassProcedure = -65536;

// Calls the window's current procedure; 0 for an unknown window.
LRESULT deliverMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The same for a message standing for a Qt event; true when it reached the class procedure, so that the
// widget's own handling of the event is to follow.
bool deliverEventMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velmora
