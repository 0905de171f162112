#include "WindowRegistry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "ui/handlers.h"

namespace velmora {
namespace {

constexpr HWND kFirstHandle = 0x00010004;
constexpr HWND kLastHandle = 0x3FFFFFFC;
constexpr const char* kHandleProperty = "velmoraHwnd";

WPARAM sizeKind(const QWidget& widget) {
    if (widget.isMinimized()) return SIZE_MINIMIZED;
    return widget.isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

// Letters and digits are their own virtual-key codes; other keys pass the platform's code.
WPARAM virtualKey(const QKeyEvent& key) {
    const int k = key.key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return static_cast<WPARAM>(k);
    return key.nativeVirtualKey();
}

LPARAM pointParam(const QPointF& point) {
    return MAKELPARAM(static_cast<int>(point.x()), static_cast<int>(point.y()));
}

}  // namespace

HWND WindowRegistry::handleOf(QWidget* widget) {
    if (!widget) return 0;
    if (const QVariant known = widget->property(kHandleProperty); known.isValid()) return known.toUInt();
    do {
        m_last = (m_last < kFirstHandle || m_last >= kLastHandle) ? kFirstHandle : m_last + 4;
    } while (m_windows.count(m_last));
    const HWND hWnd = m_last;
    m_windows[hWnd].widget = widget;
    widget->setProperty(kHandleProperty, QVariant::fromValue<uint>(hWnd));
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this, hWnd] { runHandler([&] { destroyed(hWnd); }); });
    return hWnd;
}

QWidget* WindowRegistry::widgetOf(HWND hWnd) const {
    const auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? nullptr : it->second.widget.data();
}

HWND WindowRegistry::knownHandleOf(const QWidget* widget) const {
    if (!widget) return 0;
    const QVariant known = widget->property(kHandleProperty);
    return known.isValid() && m_windows.count(known.toUInt()) ? known.toUInt() : 0;
}

LONG_PTR WindowRegistry::procedure(HWND hWnd) const {
    const auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? 0 : it->second.procedure;
}

bool WindowRegistry::setProcedure(HWND hWnd, LONG_PTR procedure) {
    const auto it = m_windows.find(hWnd);
    if (it == m_windows.end() || !it->second.widget) return false;
    it->second.procedure = procedure;
    return true;
}

bool WindowRegistry::subclassedFromAbove(const QWidget* widget) const {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const HWND hWnd = knownHandleOf(w);
        if (hWnd && procedure(hWnd) != kClassProcedure) return true;
    }
    return false;
}

DWORD WindowRegistry::contextHelpId(HWND hWnd) const {
    const auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? 0 : it->second.contextHelpId;
}

bool WindowRegistry::setContextHelpId(HWND hWnd, DWORD id) {
    const auto it = m_windows.find(hWnd);
    if (it == m_windows.end() || !it->second.widget) return false;
    it->second.contextHelpId = id;
    return true;
}

LONG WindowRegistry::exStyle(HWND hWnd) const {
    const auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? 0 : it->second.exStyle;
}

void WindowRegistry::setExStyle(HWND hWnd, LONG style) {
    if (const auto it = m_windows.find(hWnd); it != m_windows.end()) it->second.exStyle = style;
}

bool WindowRegistry::attach(ISubclass* handler, HWND hWnd, UINT message) {
    const auto it = m_windows.find(hWnd);
    if (!handler || it == m_windows.end() || !it->second.widget) return false;
    auto& hooks = it->second.hooks;
    const bool known = std::any_of(hooks.begin(), hooks.end(), [&](const Hook& hook) {
        return hook.message == message && hook.handler == handler;
    });
    if (known) return false;
    hooks.push_back({message, handler});
    return true;
}

bool WindowRegistry::detach(ISubclass* handler, HWND hWnd, UINT message) {
    const auto it = m_windows.find(hWnd);
    if (it == m_windows.end()) return false;
    auto& hooks = it->second.hooks;
    const auto hook = std::find_if(hooks.begin(), hooks.end(), [&](const Hook& h) {
        return h.message == message && h.handler == handler;
    });
    if (hook == hooks.end()) return false;
    hooks.erase(hook);
    return true;
}

void WindowRegistry::detachAll(ISubclass* handler) {
    for (auto& [hWnd, window] : m_windows)
        std::erase_if(window.hooks, [&](const Hook& hook) { return hook.handler == handler; });
}

bool WindowRegistry::hooked(const Window& window, UINT message) const {
    return std::any_of(window.hooks.begin(), window.hooks.end(),
                       [&](const Hook& hook) { return hook.message == message; });
}

bool WindowRegistry::dispatch(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = m_windows.find(hWnd);
    if (it == m_windows.end()) return false;
    // A handler may detach itself or others meanwhile: call only those still registered.
    const std::vector<Hook> hooks = it->second.hooks;
    bool consumed = false;
    for (const Hook& hook : hooks) {
        if (hook.message != message) continue;
        const auto now = m_windows.find(hWnd);
        if (now == m_windows.end()) break;
        const auto& current = now->second.hooks;
        const bool still = std::any_of(current.begin(), current.end(), [&](const Hook& h) {
            return h.message == message && h.handler == hook.handler;
        });
        if (!still) continue;
        hook.handler->iSubclass_WindowProc(hWnd, message, wParam, lParam);
        consumed = consumed || hook.handler->ISubclass_MsgResponse() == emrConsume;
    }
    return consumed;
}

bool WindowRegistry::eventFilter(QObject* watched, QEvent* event) {
    const QVariant handle = watched->property(kHandleProperty);
    const auto it = handle.isValid() ? m_windows.find(handle.toUInt()) : m_windows.end();
    if (it == m_windows.end() || it->second.hooks.empty() || !it->second.widget) return false;
    bool consumed = false;
    runHandler([&] { consumed = translate(it->first, it->second, *it->second.widget, *event); });
    return consumed;
}

bool WindowRegistry::translate(HWND hWnd, Window& window, QWidget& widget, QEvent& event) {
    switch (event.type()) {
        case QEvent::Move:
            return dispatch(hWnd, WM_MOVE, 0, MAKELPARAM(widget.x(), widget.y()));
        case QEvent::Resize:
            querySizeLimits(hWnd, window, widget);
            return dispatch(hWnd, WM_SIZE, sizeKind(widget), MAKELPARAM(widget.width(), widget.height()));
        case QEvent::Show:
            querySizeLimits(hWnd, window, widget);
            return dispatch(hWnd, WM_SHOWWINDOW, TRUE, 0);
        case QEvent::Hide:
            return dispatch(hWnd, WM_SHOWWINDOW, FALSE, 0);
        case QEvent::Close:
            if (!dispatch(hWnd, WM_CLOSE, 0, 0)) return false;
            event.ignore();
            return true;
        case QEvent::Paint:
            return dispatch(hWnd, WM_PAINT, 0, 0);
        case QEvent::WindowActivate:
            return dispatch(hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
        case QEvent::WindowDeactivate:
            return dispatch(hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto& key = static_cast<QKeyEvent&>(event);
            return dispatch(hWnd, event.type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP, virtualKey(key),
                            0);
        }
        case QEvent::MouseMove:
            return dispatch(hWnd, WM_MOUSEMOVE, 0, pointParam(static_cast<QMouseEvent&>(event).position()));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const auto& mouse = static_cast<QMouseEvent&>(event);
            const bool press = event.type() == QEvent::MouseButtonPress;
            const bool right = mouse.button() == Qt::RightButton;
            const UINT message =
                right ? (press ? WM_RBUTTONDOWN : WM_RBUTTONUP) : (press ? WM_LBUTTONDOWN : WM_LBUTTONUP);
            return dispatch(hWnd, message, 0, pointParam(mouse.position()));
        }
        default:
            return false;
    }
}

void WindowRegistry::querySizeLimits(HWND hWnd, Window& window, QWidget& widget) {
    if (window.inSizeQuery || !hooked(window, WM_GETMINMAXINFO)) return;
    window.inSizeQuery = true;
    const QScreen* screen = widget.screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    MINMAXINFO info{};
    info.ptMaxSize = {available.width(), available.height()};
    info.ptMaxPosition = {available.x(), available.y()};
    info.ptMinTrackSize = {widget.minimumWidth(), widget.minimumHeight()};
    info.ptMaxTrackSize = {std::min(widget.maximumWidth(), QWIDGETSIZE_MAX),
                           std::min(widget.maximumHeight(), QWIDGETSIZE_MAX)};
    dispatch(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    // The window's own handling: it keeps to the limits the handlers left (on client sizes: the frame
    // belongs to the window manager here).
    const auto fit = [](LONG v) { return std::clamp<LONG>(v, 0, QWIDGETSIZE_MAX); };
    if (m_windows.count(hWnd) && window.widget) {
        widget.setMinimumSize(fit(info.ptMinTrackSize.x), fit(info.ptMinTrackSize.y));
        widget.setMaximumSize(fit(info.ptMaxTrackSize.x), fit(info.ptMaxTrackSize.y));
    }
    if (const auto it = m_windows.find(hWnd); it != m_windows.end()) it->second.inSizeQuery = false;
}

void WindowRegistry::destroyed(HWND hWnd) {
    dispatch(hWnd, WM_DESTROY, 0, 0);
    // The window procedure hears of it too, and WM_NCDESTROY is the last message it gets.
    deliverMessage(hWnd, WM_DESTROY, 0, 0);
    deliverMessage(hWnd, WM_NCDESTROY, 0, 0);
    m_windows.erase(hWnd);
}

}  // namespace velmora
