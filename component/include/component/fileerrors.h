// Platform failures of file operations as the run-time errors a component's caller sees.
#pragma once

#include "platform/win32types.h"

namespace velmora {

// From a Win32 error code (GetLastError after a failed platform call): 53 file not found, 76 path not
// found, 70 permission denied (sharing and lock violations), 7 out of memory, 52 too many open files,
// 61 disk full, 57 device I/O error, 75 for anything else.
[[noreturn]] void raiseFileError(DWORD win32Error);

}  // namespace velmora
