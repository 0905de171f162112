// Who and where the program runs: computer and user names, system folders, environment variables,
// process and thread ids, the tick count and Sleep. Module paths (GetModuleFileNameA, the module holding
// an address) belong with library loading in platform/library.h, included here for callers of either.
//
// Text results follow the Win32 buffer rules: a call that returns a length gives the length without the
// NUL on success, or the size needed with the NUL (and an untouched buffer) when the buffer is short.
#pragma once

#include "platform/library.h"
#include "platform/win32types.h"

// NetBIOS names, which GetComputerNameA reports, have at most 15 characters.
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// The host name up to its first '.', upper-cased and cut to MAX_COMPUTERNAME_LENGTH characters, as the
// original reports the NetBIOS name. *nSize: buffer size in; length out, or the size needed with the NUL
// and FALSE with ERROR_BUFFER_OVERFLOW.
BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
// Renaming the machine is not ours to do: FALSE with ERROR_ACCESS_DENIED, as for a user without the right.
BOOL SetComputerNameA(LPCSTR lpComputerName);
// The login name of the effective user. *pcbBuffer: buffer size in; out, the length *with* the NUL (a
// Win32 quirk), or the size needed and FALSE with ERROR_INSUFFICIENT_BUFFER.
BOOL GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);
// "C:\WINDOWS" and "C:\WINDOWS\SYSTEM32" on drive C:, the folders created on first use. 0 on failure.
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);

// The variable's value; 0 with ERROR_ENVVAR_NOT_FOUND when it is unset. A name not found exactly is
// looked up ignoring case, since the suite spells names as the original's case-blind environment allows.
DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
// Sets the variable, or removes it when lpValue is null. FALSE with ERROR_INVALID_PARAMETER for a null or
// empty name or one holding '='; removing an unset variable gives FALSE with ERROR_ENVVAR_NOT_FOUND.
BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);
// Replaces each %NAME% of a set variable by its value; %NAME% of an unset one and a lone '%' stay as
// written. Returns the size needed with the NUL (written only when it fits nSize); 0 on bad input.
DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize);

DWORD GetCurrentProcessId();
// The kernel thread id (gettid), the same number CreateThread reports.
DWORD GetCurrentThreadId();
// Milliseconds since the system started; wraps after 49.7 days as on the original.
DWORD GetTickCount();
// Sleeps at least dwMilliseconds (INFINITE: for ever); Sleep(0) yields the processor.
void Sleep(DWORD dwMilliseconds);
