// Win32 error codes for POSIX failures of file calls.
#pragma once

#include <string>

#include "platform/win32types.h"

namespace velmora {

// The Win32 code for an errno value. ENOENT becomes ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when
// nativePath is given and its folder is missing, as Win32 tells the two apart.
DWORD win32Error(int error, const std::string& nativePath = {});

// SetLastError(win32Error(error, nativePath)); returns false so callers can `return failWith(...)`.
bool failWith(int error, const std::string& nativePath = {});

}  // namespace velmora
