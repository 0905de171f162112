// GetDeviceCaps for the figures the suite asks of a device context. Every context here draws on the
// primary screen (there are no printer contexts), so any hdc, null included, answers with its figures.
#pragma once

#include "platform/win32types.h"

using HDC = struct HDC__*;  // as ui/gdi.h

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// The screen's logical dots per inch (96 without a GUI), size in pixels, or 0 for other indexes.
int GetDeviceCaps(HDC hdc, int index);
