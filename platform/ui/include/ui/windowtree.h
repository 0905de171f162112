// GetParent: the window a child sits in, or the owner of a top-level window, as on the original.
#pragma once

#include "platform/win32types.h"

// 0 for a top-level window without owner; 0 with ERROR_INVALID_WINDOW_HANDLE for an unknown handle.
HWND GetParent(HWND hWnd);
