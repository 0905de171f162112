#include "ui/windowproc.h"

#include <QWhatsThis>
#include <QWidget>
#include <optional>
#include <vector>

#include "UiState.h"
#include "WindowProcedures.h"
#include "ui/WindowHandles.h"
#include "ui/messages.h"

namespace {

using velmora::kClassProcedure;

LRESULT classWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Procedures are known by their place in this table, so that a 32-bit field holds one; entries are never
// removed (a handle stays good for the whole process). The GUI thread is the only user.
constexpr std::size_t kMostProcedures = 0x10000;
std::vector<WNDPROC>& procedures() {
    static std::vector<WNDPROC> table{&classWindowProc};
    return table;
}

// A handle's place in the table, in either width it may have been kept in.
std::optional<std::size_t> handleIndex(LONG_PTR value) {
    std::int64_t v = value;
    if (v >= 0xFFFF0000LL && v <= 0xFFFFFFFFLL) v -= 0x100000000LL;
    if (v < kClassProcedure || v >= kClassProcedure + static_cast<std::int64_t>(procedures().size()))
        return std::nullopt;
    return static_cast<std::size_t>(v - kClassProcedure);
}

bool looksLikeHandle(LONG_PTR value) {
    const std::int64_t v = value;
    return (v >= kClassProcedure && v < 0) || (v >= 0xFFFF0000LL && v <= 0xFFFFFFFFLL);
}

LONG_PTR handleFor(WNDPROC procedure) {
    auto& table = procedures();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == procedure) return kClassProcedure + static_cast<LONG_PTR>(i);
    if (table.size() >= kMostProcedures) return 0;
    table.push_back(procedure);
    return kClassProcedure + static_cast<LONG_PTR>(table.size() - 1);
}

// The messages standing for Qt events now on their way down a window's procedures.
struct EventDelivery {
    HWND hWnd;
    UINT message;
    bool reached;
};
std::vector<EventDelivery*> g_eventDeliveries;

LRESULT classWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_eventDeliveries.empty()) {
        EventDelivery& delivery = *g_eventDeliveries.back();
        if (delivery.hWnd == hWnd && delivery.message == message && !delivery.reached) {
            delivery.reached = true;  // Qt's own handling of the event does the rest
            return 0;
        }
    }
    switch (message) {
        case WM_HELP:
        case WM_CONTEXTMENU:
        case WM_SYSCOMMAND:
        case WM_DESTROY:
        case WM_NCDESTROY:
            return DefWindowProcA(hWnd, message, wParam, lParam);
        default:
            break;
    }
    if (auto* target = dynamic_cast<velmora::WindowMessageTarget*>(velmora::widgetOf(hWnd)))
        return target->windowMessage(message, wParam, lParam);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// The parent window (a top-level window's owner) that has a handle; windows without one have the class
// procedure, which would only pass the message on.
HWND windowAbove(HWND hWnd) {
    velmora::UiState* state = velmora::uiState();
    QWidget* widget = velmora::widgetOf(hWnd);
    if (!state || !widget) return 0;
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (const HWND known = state->windows().knownHandleOf(up)) return known;
    return 0;
}

LONG_PTR failWith(DWORD code) {
    SetLastError(code);
    return 0;
}

}  // namespace

namespace velmora {

LRESULT deliverMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    UiState* state = uiState();
    const LONG_PTR procedure = state ? state->windows().procedure(hWnd) : 0;
    if (!procedure) return 0;
    return CallWindowProcA(reinterpret_cast<WNDPROC>(procedure), hWnd, message, wParam, lParam);
}

bool deliverEventMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    EventDelivery delivery{hWnd, message, false};
    g_eventDeliveries.push_back(&delivery);
    struct Pop {
        ~Pop() { g_eventDeliveries.pop_back(); }
    } pop;
    deliverMessage(hWnd, message, wParam, lParam);
    return delivery.reached;
}

}  // namespace velmora

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    velmora::UiState* state = velmora::uiState();
    if (!state || !velmora::widgetOf(hWnd)) return failWith(ERROR_INVALID_WINDOW_HANDLE);
    if (nIndex != GWLP_WNDPROC) return failWith(ERROR_INVALID_PARAMETER);
    return state->windows().procedure(hWnd);
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    const LONG_PTR previous = GetWindowLongPtrA(hWnd, nIndex);
    if (!previous) return 0;
    LONG_PTR handle = 0;
    if (looksLikeHandle(dwNewLong)) {
        if (const auto index = handleIndex(dwNewLong))
            handle = kClassProcedure + static_cast<LONG_PTR>(*index);
    } else if (dwNewLong >= 0x10000) {
        // Small and negative numbers are no procedure's address.
        handle = handleFor(reinterpret_cast<WNDPROC>(dwNewLong));
    }
    if (!handle) return failWith(ERROR_INVALID_PARAMETER);
    velmora::uiState()->windows().setProcedure(hWnd, handle);
    return previous;
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    const auto value = reinterpret_cast<LONG_PTR>(lpPrevWndFunc);
    WNDPROC procedure = lpPrevWndFunc;
    if (looksLikeHandle(value)) {
        const auto index = handleIndex(value);
        procedure = index ? procedures()[*index] : nullptr;
    } else if (value < 0x10000) {
        procedure = nullptr;
    }
    if (!procedure) return failWith(ERROR_INVALID_PARAMETER);
    return procedure(hWnd, Msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
        case WM_HELP:
        case WM_CONTEXTMENU: {
            const HWND above = windowAbove(hWnd);
            return above ? velmora::deliverMessage(above, Msg, wParam, lParam) : 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CONTEXTHELP && velmora::widgetOf(hWnd) &&
                !QWhatsThis::inWhatsThisMode())
                QWhatsThis::enterWhatsThisMode();
            return 0;
        default:
            return 0;
    }
}

BOOL SetWindowContextHelpId(HWND hWnd, DWORD dwContextHelpId) {
    velmora::UiState* state = velmora::uiState();
    if (!state || !state->windows().setContextHelpId(hWnd, dwContextHelpId))
        return static_cast<BOOL>(failWith(ERROR_INVALID_WINDOW_HANDLE));
    return TRUE;
}

DWORD GetWindowContextHelpId(HWND hWnd) {
    velmora::UiState* state = velmora::uiState();
    return state ? state->windows().contextHelpId(hWnd) : 0;
}
