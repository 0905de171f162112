// The window handles of the process and what hangs on them: the extended style bits that have no Qt
// counterpart, and the Hookline registrations, fed from an event filter on each window that has one.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <unordered_map>
#include <vector>

#include "WindowProcedures.h"
#include "ui/Hookline.h"
#include "ui/windows.h"

namespace velmora {

class WindowRegistry : public QObject {
    Q_OBJECT

  public:
    HWND handleOf(QWidget* widget);
    QWidget* widgetOf(HWND hWnd) const;
    // The widget's handle when it has one already (0 otherwise); never hands out a new one.
    HWND knownHandleOf(const QWidget* widget) const;

    // The window's current procedure (a procedure handle, windowproc.h); kClassProcedure for a window
    // nobody subclassed, 0 for an unknown window.
    LONG_PTR procedure(HWND hWnd) const;
    bool setProcedure(HWND hWnd, LONG_PTR procedure);
    // True when the widget or a window above it has a procedure other than its class procedure.
    bool subclassedFromAbove(const QWidget* widget) const;
    DWORD contextHelpId(HWND hWnd) const;
    bool setContextHelpId(HWND hWnd, DWORD id);

    LONG exStyle(HWND hWnd) const;
    void setExStyle(HWND hWnd, LONG style);

    bool attach(ISubclass* handler, HWND hWnd, UINT message);
    bool detach(ISubclass* handler, HWND hWnd, UINT message);
    void detachAll(ISubclass* handler);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Hook {
        UINT message;
        ISubclass* handler;
    };
    struct Window {
        QPointer<QWidget> widget;
        LONG exStyle = 0;
        std::vector<Hook> hooks;
        bool inSizeQuery = false;
        LONG_PTR procedure = kClassProcedure;
        DWORD contextHelpId = 0;
    };

    // Calls the handlers of the message in registration order; true when one of them consumed it.
    bool dispatch(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool hooked(const Window& window, UINT message) const;
    bool translate(HWND hWnd, Window& window, QWidget& widget, QEvent& event);
    // WM_GETMINMAXINFO: the handlers adjust the tracking sizes, which the window then enforces.
    void querySizeLimits(HWND hWnd, Window& window, QWidget& widget);
    void destroyed(HWND hWnd);

    std::unordered_map<HWND, Window> m_windows;
    HWND m_last = 0;
};

}  // namespace velmora
