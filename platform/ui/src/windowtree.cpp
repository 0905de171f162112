#include "ui/windowtree.h"

#include <QWidget>

#include "ui/WindowHandles.h"
#include "ui/windows.h"

HWND GetParent(HWND hWnd) {
    QWidget* widget = velmora::widgetOf(hWnd);
    if (!widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return velmora::handleOf(widget->parentWidget());
}
