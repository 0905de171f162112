#include "WindowEvents.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QWidget>

#include "WindowProcedures.h"
#include "WindowRegistry.h"
#include "ui/handlers.h"

namespace velmora {

void WindowEvents::sendHelp(QWidget& widget, const QPoint& screenPoint) {
    const HWND hWnd = m_windows.handleOf(&widget);
    HELPINFO info{sizeof(HELPINFO),
                  HELPINFO_WINDOW,
                  0,
                  hWnd,
                  m_windows.contextHelpId(hWnd),
                  {screenPoint.x(), screenPoint.y()}};
    deliverMessage(hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

QWidget* WindowEvents::originOf(QWidget* widget, const QPoint& screenPoint, QEvent::Type type) {
    if (m_last.origin && m_last.origin != widget && widget->isAncestorOf(m_last.origin) &&
        m_last.screenPoint == screenPoint && m_last.type == type)
        return m_last.origin;
    m_last = {widget, screenPoint, type};
    return widget;
}

bool WindowEvents::eventFilter(QObject* watched, QEvent* event) {
    bool consumed = false;
    runHandler([&] { consumed = filter(watched, event); });
    return consumed;
}

bool WindowEvents::filter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ContextMenu && type != QEvent::QueryWhatsThis &&
        type != QEvent::WhatsThis)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !m_windows.subclassedFromAbove(widget)) return false;
    switch (type) {
        case QEvent::KeyPress: {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (key.key() != Qt::Key_F1 ||
                (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
                return false;
            if (!key.isAutoRepeat()) sendHelp(*widget, QCursor::pos());
            return true;
        }
        case QEvent::ContextMenu: {
            const auto& menu = static_cast<const QContextMenuEvent&>(*event);
            const HWND clicked = m_windows.handleOf(originOf(widget, menu.globalPos(), QEvent::ContextMenu));
            const HWND hWnd = m_windows.handleOf(widget);
            const LPARAM point = menu.reason() == QContextMenuEvent::Keyboard
                                     ? -1
                                     : MAKELPARAM(menu.globalPos().x(), menu.globalPos().y());
            return !deliverEventMessage(hWnd, WM_CONTEXTMENU, clicked, point);
        }
        case QEvent::QueryWhatsThis:
            // In context-help mode every such window takes the click.
            event->accept();
            return true;
        case QEvent::WhatsThis: {
            const QPoint point = static_cast<const QHelpEvent&>(*event).globalPos();
            if (originOf(widget, point, QEvent::WhatsThis) == widget) sendHelp(*widget, point);
            // Not accepted: context-help mode ends with this click, as it does for a window without text.
            event->ignore();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace velmora
