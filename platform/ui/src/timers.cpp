#include "ui/timers.h"

#include "UiState.h"
#include "ui/application.h"

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (hWnd != 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpTimerFunc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    velmora::UiState* state = velmora::uiState();
    if (!state || !velmora::onGuiThread()) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return 0;
    }
    const UINT_PTR id = state->timers().set(nIDEvent, uElapse, lpTimerFunc);
    if (!id) SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    velmora::UiState* state = velmora::uiState();
    if (hWnd != 0 || !state || !velmora::onGuiThread() || !state->timers().kill(uIDEvent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
