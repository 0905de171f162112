#include "ui/Hookline.h"

#include "UiState.h"

namespace velmora {

bool Hookline::AttachMessage(ISubclass* handler, HWND hWnd, UINT iMsg) {
    UiState* state = uiState();
    return state && state->windows().attach(handler, hWnd, iMsg);
}

bool Hookline::DetachMessage(ISubclass* handler, HWND hWnd, UINT iMsg) {
    UiState* state = uiState();
    return state && state->windows().detach(handler, hWnd, iMsg);
}

void Hookline::DetachAll(ISubclass* handler) {
    if (UiState* state = uiState()) state->windows().detachAll(handler);
}

}  // namespace velmora
