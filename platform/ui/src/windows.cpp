#include "ui/windows.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "UiState.h"
#include "WindowProcedures.h"
#include "ui/WindowHandles.h"
#include "ui/windowproc.h"

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kDefaultTwipsPerPixel = 15;

// The widget of a live window, or nullptr with ERROR_INVALID_WINDOW_HANDLE.
QWidget* liveWidget(HWND hWnd) {
    QWidget* widget = velmora::widgetOf(hWnd);
    if (!widget) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return widget;
}

QScreen* primaryScreen() {
    return velmora::uiState() ? QGuiApplication::primaryScreen() : nullptr;
}

int twipsPerPixel(qreal dotsPerInch) {
    return dotsPerInch > 0 ? static_cast<int>(std::lround(kTwipsPerInch / dotsPerInch))
                           : kDefaultTwipsPerPixel;
}

RECT toRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void setTopmost(QWidget& widget, bool topmost) {
    if (widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    // Changing a window's flags hides it; put it back as it was.
    const bool visible = widget.isVisible();
    widget.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) widget.show();
}

}  // namespace

BOOL IsWindow(HWND hWnd) {
    return velmora::widgetOf(hWnd) ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    QWidget* widget = liveWidget(hWnd);
    if (!widget) return FALSE;
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpRect = widget->isWindow() ? toRect(widget->frameGeometry())
                                 : toRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    return TRUE;
}

HWND WindowFromPoint(POINT Point) {
    if (!velmora::uiState()) return 0;
    return velmora::handleOf(QApplication::widgetAt(Point.x, Point.y));
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint || !velmora::uiState()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const QPoint pos = QCursor::pos();
    *lpPoint = {pos.x(), pos.y()};
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    QWidget* widget = liveWidget(hWnd);
    if (!widget || !lpPoint) return FALSE;
    const QPoint client = widget->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = {client.x(), client.y()};
    return TRUE;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    QWidget* widget = liveWidget(hWnd);
    if (!widget) return FALSE;
    const BOOL wasVisible = widget->isVisible() ? TRUE : FALSE;
    switch (nCmdShow) {
        case SW_HIDE:
            widget->hide();
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            widget->showMinimized();
            break;
        case SW_SHOWMAXIMIZED:
            widget->showMaximized();
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            widget->showNormal();
            break;
        default:
            widget->show();
            break;  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE and unknown commands
    }
    return wasVisible;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    QWidget* widget = liveWidget(hWnd);
    if (!widget) return FALSE;
    if (!(uFlags & SWP_NOZORDER)) {
        if (hWndInsertAfter == HWND_TOPMOST || hWndInsertAfter == HWND_NOTOPMOST)
            setTopmost(*widget, hWndInsertAfter == HWND_TOPMOST);
        else if (hWndInsertAfter == HWND_TOP)
            widget->raise();
        else if (hWndInsertAfter == HWND_BOTTOM)
            widget->lower();
    }
    if (!(uFlags & SWP_NOMOVE)) widget->move(X, Y);
    if (!(uFlags & SWP_NOSIZE)) widget->resize(std::max(cx, 0), std::max(cy, 0));
    if (uFlags & SWP_SHOWWINDOW) widget->show();
    if (uFlags & SWP_HIDEWINDOW) widget->hide();
    return TRUE;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    if (nIndex == GWL_WNDPROC) return static_cast<LONG>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    QWidget* widget = liveWidget(hWnd);
    if (!widget) return 0;
    if (nIndex != GWL_EXSTYLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const LONG topmost = widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? WS_EX_TOPMOST : 0;
    return velmora::uiState()->windows().exStyle(hWnd) | topmost;
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    if (nIndex == GWL_WNDPROC) {
        // Only a handle fits 32 bits; a number that is none would be taken for a procedure's address.
        if (!velmora::widgetOf(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (dwNewLong >= 0 || dwNewLong < velmora::kClassProcedure) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return static_cast<LONG>(SetWindowLongPtrA(hWnd, GWLP_WNDPROC, dwNewLong));
    }
    const LONG previous = GetWindowLongA(hWnd, nIndex);
    if (!velmora::widgetOf(hWnd) || nIndex != GWL_EXSTYLE) return 0;
    velmora::uiState()->windows().setExStyle(hWnd, dwNewLong & ~WS_EX_TOPMOST);
    if (!(dwNewLong & WS_EX_LAYERED)) velmora::widgetOf(hWnd)->setWindowOpacity(1.0);
    return previous;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE bAlpha, DWORD dwFlags) {
    QWidget* widget = liveWidget(hwnd);
    if (!widget) return FALSE;
    if (!(velmora::uiState()->windows().exStyle(hwnd) & WS_EX_LAYERED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dwFlags & LWA_ALPHA) widget->setWindowOpacity(bAlpha / 255.0);
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    const QScreen* screen = primaryScreen();
    if (!screen) return 0;
    switch (nIndex) {
        case SM_CXSCREEN:
            return screen->geometry().width();
        case SM_CYSCREEN:
            return screen->geometry().height();
        default:
            return 0;
    }
}

BOOL SystemParametersInfoA(UINT uiAction, UINT, LPVOID pvParam, UINT) {
    const QScreen* screen = primaryScreen();
    if (uiAction != SPI_GETWORKAREA || !pvParam || !screen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT*>(pvParam) = toRect(screen->availableGeometry());
    return TRUE;
}

namespace velmora {

int twipsPerPixelX() noexcept {
    const QScreen* screen = primaryScreen();
    return screen ? twipsPerPixel(screen->logicalDotsPerInchX()) : kDefaultTwipsPerPixel;
}

int twipsPerPixelY() noexcept {
    const QScreen* screen = primaryScreen();
    return screen ? twipsPerPixel(screen->logicalDotsPerInchY()) : kDefaultTwipsPerPixel;
}

}  // namespace velmora
