// Whether memory a caller hands over can be read, for the calls whose parameters may hold a pointer or a
// plain number (window messages). As on Win32: TRUE when some byte of the range cannot be read.
#pragma once

#include <cstdint>

#include "platform/win32types.h"

// TRUE when any of the ucb bytes at lp cannot be read; FALSE for ucb 0.
BOOL IsBadReadPtr(const void* lp, std::uintptr_t ucb);
// TRUE when the text at lpsz cannot be read up to its NUL or ucchMax characters, whichever comes first.
BOOL IsBadStringPtrA(LPCSTR lpsz, std::uintptr_t ucchMax);
