// The Qt events that become messages to window procedures (windowproc.h): F1 and context-help clicks
// (WM_HELP) and context-menu requests (WM_CONTEXTMENU). One filter on the application sees them for every
// widget; it acts only where the widget or a window above it has a procedure of its own.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace velmora {

class WindowRegistry;

class WindowEvents : public QObject {
    Q_OBJECT

  public:
    explicit WindowEvents(WindowRegistry& windows) : m_windows(windows) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // eventFilter's work; the filter itself keeps the suite's errors out of Qt.
    bool filter(QObject* watched, QEvent* event);
    void sendHelp(QWidget& widget, const QPoint& screenPoint);

    WindowRegistry& m_windows;
    // Qt hands an ignored context-menu or help request on to the parent, as a new event for the same
    // point: the window first asked stays the one the message names, and help is asked for once.
    struct Request {
        QPointer<QWidget> origin;
        QPoint screenPoint;
        QEvent::Type type = QEvent::None;
    };
    // The widget the request began at: this one, or the descendant it came up from.
    QWidget* originOf(QWidget* widget, const QPoint& screenPoint, QEvent::Type type);

    Request m_last;
};

}  // namespace velmora
