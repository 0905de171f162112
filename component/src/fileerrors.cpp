#include "component/fileerrors.h"

#include "runtime/Error.h"

namespace velmora {

void raiseFileError(DWORD win32Error) {
    switch (win32Error) {
        case ERROR_FILE_NOT_FOUND:
            raise(err::FileNotFound);
        case ERROR_PATH_NOT_FOUND:
            raise(err::PathNotFound);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            raise(err::PermissionDenied);
        case ERROR_NOT_ENOUGH_MEMORY:
            raise(err::OutOfMemory);
        case ERROR_TOO_MANY_OPEN_FILES:
            raise(err::BadFileNameOrNumber);
        case ERROR_DISK_FULL:
            raise(err::DiskFull);
        case ERROR_WRITE_FAULT:
            raise(err::DeviceIOError);
        default:
            raise(err::PathFileAccessError);
    }
}

}  // namespace velmora
