// Platform failures of the file operations as the run-time errors a caller sees.
#pragma once

#include "platform/win32types.h"

namespace velmora {

// From a Win32 error code (GetLastError after a failed platform call).
[[noreturn]] void raiseFileError(DWORD win32Error);
// From an errno value of a POSIX call.
[[noreturn]] void raiseErrno(int error);

}  // namespace velmora
