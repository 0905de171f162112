// Threads. A thread handle is a waitable handle of platform/handles.h. Closing it (CloseHandle) neither
// stops nor leaks the thread: the thread runs to its end and then frees itself.
#pragma once

#include "platform/win32types.h"

#include <cstddef>

using SIZE_T = std::size_t;
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID lpThreadParameter);

constexpr DWORD CREATE_SUSPENDED = 0x4;

// Starts lpStartAddress(lpParameter) on a new thread; *lpThreadId (optional) receives its id, the one
// GetCurrentThreadId reports inside it. The exit code is the routine's result; a C++ exception escaping
// the routine ends the thread (not the process) with exit code ERROR_UNHANDLED_EXCEPTION. Security and
// stack size are ignored. NULL with ERROR_INVALID_PARAMETER for a null routine or CREATE_SUSPENDED (not
// supported), ERROR_NOT_ENOUGH_MEMORY when no thread can be started.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                    LPDWORD lpThreadId);
// STILL_ACTIVE while the thread runs, then its exit code. FALSE with ERROR_INVALID_HANDLE for anything
// but an open thread handle.
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
