// Files through handles: CreateFileA and the calls on its handles, and OpenFile.
//
// A handle is one file descriptor (never inherited by child programs) plus its registration in the share
// modes of the file, which hold between all of our opens in every process of the user (see
// ERROR_SHARING_VIOLATION below). Paths are suite paths (see paths.h); short (8.3) names are accepted.
#pragma once

#include "platform/attributes.h"
#include "platform/filetime.h"
#include "platform/handles.h"
#include "platform/win32types.h"

// Access rights. Sharing concerns read (GENERIC_READ, GENERIC_EXECUTE, FILE_READ_DATA, FILE_EXECUTE),
// write (GENERIC_WRITE, FILE_WRITE_DATA, FILE_APPEND_DATA) and delete (DELETE); GENERIC_ALL is all three.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD FILE_READ_DATA = 0x0001;
constexpr DWORD FILE_WRITE_DATA = 0x0002;
constexpr DWORD FILE_APPEND_DATA = 0x0004;
constexpr DWORD FILE_EXECUTE = 0x0020;
constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;
constexpr DWORD DELETE = 0x00010000;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
constexpr DWORD FILE_FLAG_POSIX_SEMANTICS = 0x01000000;
constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Accepted for the Win32 signatures; I/O is always synchronous. A non-NULL OVERLAPPED gives the file
// position (Offset, OffsetHigh) at which ReadFile/WriteFile start; the file pointer then stands after the
// bytes moved. Reads at positions of their own may run on one handle from several threads at once.
struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
using LPBY_HANDLE_FILE_INFORMATION = BY_HANDLE_FILE_INFORMATION*;
static_assert(sizeof(BY_HANDLE_FILE_INFORMATION) == 52);

// Opens or creates a file. Win32 rules:
// - share modes: refused with ERROR_SHARING_VIOLATION when the access asked for is not shared by an
//   existing open, or an existing open's access is not shared by this one; delete-on-close counts as
//   delete access; a file whose delete-on-close handle has closed while others remain gives
//   ERROR_ACCESS_DENIED until they close;
// - a read-only file (no write bits) refuses write access, delete-on-close, CREATE_ALWAYS and
//   TRUNCATE_EXISTING with ERROR_ACCESS_DENIED, for root too;
// - CREATE_NEW over an existing file: ERROR_FILE_EXISTS; OPEN_EXISTING / TRUNCATE_EXISTING of a missing
//   file: ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when its folder is missing); TRUNCATE_EXISTING
//   without write access: ERROR_INVALID_PARAMETER;
// - success sets the last error to ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found the file
//   already there, else to ERROR_SUCCESS;
// - attributes (read-only, hidden, system, archive, temporary) apply to a file that is created, and
//   replace the old ones under CREATE_ALWAYS; folders open only with FILE_FLAG_BACKUP_SEMANTICS (else
//   ERROR_ACCESS_DENIED); devices, pipes and sockets are refused with ERROR_ACCESS_DENIED;
// - FILE_FLAG_WRITE_THROUGH and FILE_FLAG_NO_BUFFERING make every write reach the device before it
//   returns (O_DSYNC; buffers need no alignment); the scan flags are hints to the page cache;
//   FILE_FLAG_DELETE_ON_CLOSE unlinks the file when its last handle (in any process) closes;
// - a symbolic link is followed, except with FILE_FLAG_OPEN_REPARSE_POINT: then the handle is the link's
//   own, which holds no data (size 0, writes refused with ERROR_ACCESS_DENIED, truncation does nothing)
//   and whose delete-on-close removes the link, never the file it points to.
// lpSecurityAttributes and hTemplateFile are ignored. INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

namespace velmora {
// Whether CreateFileA(lpFileName, dwDesiredAccess, dwShareMode, nullptr, OPEN_EXISTING, dwFlagsAndAttributes,
// nullptr) would give a handle now, with the last error it would set (ERROR_SUCCESS when it would): the
// same opening and share-mode checks, without registering a handle that is closed again at once. For
// questions such as "can the file be opened for reading". FILE_FLAG_DELETE_ON_CLOSE is not asked for.
bool canOpenExisting(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, DWORD dwFlagsAndAttributes);
}  // namespace velmora

// Reads up to nNumberOfBytesToRead bytes; fewer only at the end of the file (0 there, and still TRUE).
// ERROR_ACCESS_DENIED without read access; ERROR_INVALID_HANDLE for a closed or foreign handle.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);
// Writes all bytes (a short count only when the disk is full: ERROR_DISK_FULL).
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);

// Moves the file position; returns its low 32 bits and stores the high ones in *lpDistanceToMoveHigh
// (which also gives the high part of the distance). Without that pointer the distance is a signed 32-bit
// value and a result beyond 4 GiB fails (ERROR_INVALID_PARAMETER). A position before the start fails with
// ERROR_NEGATIVE_SEEK. INVALID_SET_FILE_POINTER on failure; on success the last error is ERROR_SUCCESS, so
// a real position whose low part is 0xFFFFFFFF can be told apart.
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LPLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);

// The file's size: low part returned, high part in *lpFileSizeHigh. INVALID_FILE_SIZE on failure (and
// ERROR_SUCCESS as last error on success, for sizes whose low part is 0xFFFFFFFF).
DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);

// Writes the file's data and metadata to the device (fsync). ERROR_ACCESS_DENIED without write access.
BOOL FlushFileBuffers(HANDLE hFile);

// Attributes, times, size, link count, volume serial number (from the device number) and file index (the
// inode number) of an open file.
BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation);

// OpenFile: the 16-bit era call, kept for what the suite uses it for.
using HFILE = int;
constexpr HFILE HFILE_ERROR = -1;
constexpr DWORD OFS_MAXPATHNAME = 128;
struct OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
};
using LPOFSTRUCT = OFSTRUCT*;
static_assert(sizeof(OFSTRUCT) == 136);

constexpr UINT OF_READ = 0x0000;
constexpr UINT OF_WRITE = 0x0001;
constexpr UINT OF_READWRITE = 0x0002;
constexpr UINT OF_SHARE_COMPAT = 0x0000;
constexpr UINT OF_SHARE_EXCLUSIVE = 0x0010;
constexpr UINT OF_SHARE_DENY_WRITE = 0x0020;
constexpr UINT OF_SHARE_DENY_READ = 0x0030;
constexpr UINT OF_SHARE_DENY_NONE = 0x0040;
constexpr UINT OF_PARSE = 0x0100;
constexpr UINT OF_DELETE = 0x0200;
constexpr UINT OF_CREATE = 0x1000;
constexpr UINT OF_EXIST = 0x4000;

// Opens (OF_READ, OF_WRITE, OF_READWRITE with an OF_SHARE_* mode; compatibility mode shares read and
// write), creates (OF_CREATE), tests (OF_EXIST: opens and closes, returns 1) or deletes (OF_DELETE,
// returns 1) a file, or only fills in the record (OF_PARSE, returns 0). Fills szPathName with the full
// drive path (cut to 127 bytes), fFixedDisk (0 for removable and network file systems), and nErrCode on
// failure. The returned HFILE is a handle for the other file calls (cast to HANDLE); HFILE_ERROR on failure.
HFILE OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle);
