// Window handles as 32-bit numbers standing for widgets. A widget gets its number the first time one is
// asked for and keeps it for its life; numbers of destroyed widgets are not handed out again (until the
// counter wraps after 2^30 windows), so a stale handle is reported as invalid.
#pragma once

#include <QWidget>

#include "platform/win32types.h"

namespace velmora {

// 0 for a null widget or when there is no GUI application.
HWND handleOf(QWidget* widget);
// nullptr for 0, an unknown number or a destroyed widget.
QWidget* widgetOf(HWND hWnd);

}  // namespace velmora
