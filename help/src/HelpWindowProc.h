// The help window procedure that HelpTopics.Add puts in front of a form's own. It routes the help
// messages to the form's entry (WM_HELP, WM_CONTEXTMENU, the viewer's WM_NOTIFY, WM_TCARD), passes every
// other message to the previous procedure, and drops the form's entries after WM_NCDESTROY.
#pragma once

#include "platform/win32types.h"

namespace velmora::helpwindow {

// Puts the help procedure in front of the window's, once per window; returns the procedure before it
// (a handle as 32 bits keep it), 0 when the window cannot be hooked.
std::int32_t hook(HWND window);
// Gives the window its previous procedure back, unless a later procedure sits in front of the help one:
// taking it out then would cut that one off too, so it stays, passing everything on, until the window
// goes or is hooked again.
void unhook(HWND window);

}  // namespace velmora::helpwindow
