// Thread timers without a window. The callback runs from the event loop of the GUI thread, like a WM_TIMER
// message: at most one is waiting per timer, so a timer that fires again while its callback is still busy
// (inside a nested yield) calls it again from that nested loop.
#pragma once

#include <cstdint>

#include "platform/systeminfo.h"
#include "platform/win32types.h"

using UINT_PTR = std::uintptr_t;
using TIMERPROC = void (*)(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

constexpr UINT WM_TIMER = 0x0113;
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_NO_SYSTEM_RESOURCES = 1450;

// Starts a thread timer (hWnd 0) calling lpTimerFunc(0, WM_TIMER, id, tick count) every uElapse ms (clamped
// to USER_TIMER_MINIMUM..USER_TIMER_MAXIMUM). nIDEvent naming a running timer of this thread restarts
// that one and returns its id; otherwise a new id (never 0, below 2^31). Returns 0 when no timer can be
// made: no GUI application or not its thread (ERROR_NO_SYSTEM_RESOURCES), a null callback
// (ERROR_INVALID_PARAMETER), or a window (not supported: ERROR_INVALID_WINDOW_HANDLE).
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);

// Stops a thread timer; a callback already waiting for it is not called. FALSE with ERROR_INVALID_PARAMETER
// for an id that is not running (any more).
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);
