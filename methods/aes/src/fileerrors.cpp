#include "fileerrors.h"

#include "runtime/Error.h"
#include "runtime/text.h"

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

void replaceFile(std::u16string_view path, std::span<const std::uint8_t> contents,
                 ReplacementFile::NewFile newFile) {
    ReplacementFile output;
    if (!output.open(toUtf8(path), newFile) || !output.write(contents) || !output.commit())
        raiseFileError(GetLastError());
}

}  // namespace velmora
