#include "ui/messages.h"

#include "ui/WindowHandles.h"
#include "ui/timers.h"

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    QWidget* widget = velmora::widgetOf(hWnd);
    if (!widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto* target = dynamic_cast<velmora::WindowMessageTarget*>(widget);
    return target ? target->windowMessage(Msg, wParam, lParam) : 0;
}
