// SetFileInformationByHandle, for what the suite sets through it: whether a handle's file goes when the
// handle closes.
#pragma once

#include "platform/win32types.h"

using BOOLEAN = BYTE;
enum FILE_INFO_BY_HANDLE_CLASS { FileDispositionInfo = 4, FileDispositionInfoEx = 21 };
struct FILE_DISPOSITION_INFO {
    BOOLEAN DeleteFile;
};
struct FILE_DISPOSITION_INFO_EX {
    DWORD Flags;
};
constexpr DWORD FILE_DISPOSITION_FLAG_DO_NOT_DELETE = 0x0;
constexpr DWORD FILE_DISPOSITION_FLAG_DELETE = 0x1;
constexpr DWORD FILE_DISPOSITION_FLAG_ON_CLOSE = 0x8;

// FileDispositionInfo with DeleteFile TRUE, or FileDispositionInfoEx with FILE_DISPOSITION_FLAG_DELETE:
// the file goes when its last handle closes, as if this handle had been opened delete-on-close (and, as
// with that flag, only while its name still names this very file). FileDispositionInfoEx with
// FILE_DISPOSITION_FLAG_ON_CLOSE and without FILE_DISPOSITION_FLAG_DELETE takes back this handle's
// delete-on-close, the one FILE_FLAG_DELETE_ON_CLOSE asked for included, so that closing it keeps the
// file; FileDispositionInfo with FALSE takes back only what an earlier TRUE set. ERROR_ACCESS_DENIED for a
// handle without delete access (delete-on-close counts), ERROR_INVALID_PARAMETER for other classes, flags
// or a buffer too small, ERROR_INVALID_HANDLE for anything but a file handle.
BOOL SetFileInformationByHandle(HANDLE hFile, FILE_INFO_BY_HANDLE_CLASS FileInformationClass,
                                LPVOID lpFileInformation, DWORD dwBufferSize);
