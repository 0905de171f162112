// The message box as a real dialog: the presenter a GuiApplication installs for MessageBoxA.
#pragma once

#include "platform/win32types.h"

namespace velmora {

// Shows the message modally over the window hWnd (if it is one) and returns the button chosen. Off the GUI
// thread it answers with the default button, as the platform does without a GUI.
int showMessageBoxDialog(HWND hWnd, const char* text, const char* caption, UINT type);

}  // namespace velmora
