// Letter case of "ANSI" (UTF-8) text.
#pragma once

#include "platform/win32types.h"

// Lower-cases a NUL-terminated string in place and returns it. ASCII and the Latin-1 letters (U+00C0 to
// U+00DE) are lowered; other characters and invalid UTF-8 stay as they are, so the byte length never
// changes. As Win32: a "pointer" whose high bits are zero is a single character, returned lowered.
LPSTR CharLowerA(LPSTR lpsz);
