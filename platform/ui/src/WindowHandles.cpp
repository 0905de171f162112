#include "ui/WindowHandles.h"

#include "UiState.h"

namespace velmora {

HWND handleOf(QWidget* widget) {
    UiState* state = uiState();
    return state ? state->windows().handleOf(widget) : 0;
}

QWidget* widgetOf(HWND hWnd) {
    UiState* state = uiState();
    return state && hWnd ? state->windows().widgetOf(hWnd) : nullptr;
}

}  // namespace velmora
