// Waitable timers and the wait that also wakes for window input. A waitable timer is a handle of
// platform/handles.h (CloseHandle closes it, WaitForSingleObject waits for it); names are shared within
// the process only.
#pragma once

#include "platform/queue.h"
#include "platform/waitable.h"
#include "platform/win32types.h"

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
using PTIMERAPCROUTINE = void (*)(LPVOID lpArgToCompletionRoutine, DWORD dwTimerLowValue,
                                  DWORD dwTimerHighValue);

constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// A new unsignalled timer (manual reset: it stays signalled once due until it is set again; otherwise a
// wait that sees it signalled resets it). A name already in use opens that timer and sets last error
// ERROR_ALREADY_EXISTS (183); a fresh one sets ERROR_SUCCESS.
HANDLE CreateWaitableTimerA(LPSECURITY_ATTRIBUTES lpTimerAttributes, BOOL bManualReset, LPCSTR lpTimerName);

// Arms the timer: a negative due time is relative (in 100 ns units), a positive one an absolute
// FILETIME; lPeriod > 0 repeats every lPeriod ms. The timer is unsignalled until due. Delays beyond any
// reach (centuries) never come due. Completion routines are not supported (ERROR_NOT_SUPPORTED); a
// negative period or null due time is ERROR_INVALID_PARAMETER; a handle that is no timer
// ERROR_INVALID_HANDLE.
BOOL SetWaitableTimer(HANDLE hTimer, const LARGE_INTEGER* lpDueTime, LONG lPeriod,
                      PTIMERAPCROUTINE pfnCompletionRoutine, LPVOID lpArgToCompletionRoutine, BOOL fResume);

// Disarms the timer without changing whether it is signalled.
BOOL CancelWaitableTimer(HANDLE hTimer);

// Waits until one (fWaitAll: every one) of the handles is signalled: WAIT_OBJECT_0 + its index; or until
// input of a kind in dwWakeMask (QS_ masks) is waiting in the calling thread's queue: WAIT_OBJECT_0 +
// nCount; or dwMilliseconds pass: WAIT_TIMEOUT. Nothing is dispatched meanwhile. Without a GUI (or off its
// thread) no input ever arrives. WAIT_FAILED with ERROR_INVALID_PARAMETER for more than
// MAXIMUM_WAIT_OBJECTS handles or a null array, ERROR_INVALID_HANDLE for a handle that cannot be waited on.
DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask);
