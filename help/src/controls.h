// How the help library sees forms and controls: as objects it asks for their window (hWnd), Name,
// Container, and Left, Top, Width, Height in twips, by name. A control without a window of its own (a
// label) raises an error when its hWnd is read.
#pragma once

#include <optional>
#include <string>

#include "platform/win32types.h"
#include "runtime/Object.h"

namespace velmora::help {

// The object's window; nothing when it has none (reading hWnd fails) or is Nothing.
std::optional<HWND> windowOf(const ObjectRef& object);
// Name, or empty when the object has none.
std::u16string nameOf(const ObjectRef& control);
// The window of the control's container (its form), 0 when there is none.
HWND containerWindowOf(const ObjectRef& control);
// Whether the cursor is over the control: over its window, or for a windowless control, over its
// container's window inside the control's rectangle (twips, converted to pixels; edges inside).
bool mouseOver(const ObjectRef& control);

}  // namespace velmora::help
