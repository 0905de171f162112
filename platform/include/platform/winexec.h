// WinExec: starts a program from a command line and returns once it runs.
#pragma once

#include "platform/win32types.h"

// Starts the command line's program (found on PATH; quoted arguments kept whole) as a process of its own
// that outlives the caller, and returns a value above 31 once it runs; 0 for an empty command line,
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT when it cannot start. uCmdShow is left to
// the program. The control-panel runner "rundll32.exe shell32.dll,Control_RunDLL <applet>" opens the
// desktop's settings page for the applet (platform/DesktopSettings.h); an applet page this desktop has no
// equivalent for shows nothing and still counts as started (33), as a panel that opens and closes.
UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);
