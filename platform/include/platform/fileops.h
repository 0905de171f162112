// Whole-file and folder operations by path.
#pragma once

#include "platform/win32types.h"

// Deletes a file. ERROR_ACCESS_DENIED for a read-only file or a folder, ERROR_SHARING_VIOLATION when one of
// our handles is open on it without FILE_SHARE_DELETE, ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND.
// The name goes at once (open handles keep working on the unnamed file).
BOOL DeleteFileA(LPCSTR lpFileName);

// Renames or moves a file or folder; never replaces an existing target (ERROR_ALREADY_EXISTS). A file
// moves to another file system by copy and delete; a folder cannot (ERROR_NOT_SAME_DEVICE).
// ERROR_SHARING_VIOLATION when a handle open on the source does not share delete access.
BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName);

// Copies a file's data, permission bits, stored attributes and last-write time. With bFailIfExists an
// existing target gives ERROR_FILE_EXISTS; otherwise the target is replaced only once the copy is complete
// and flushed (written beside it, then renamed over it), so a failed copy leaves it as it was. A read-only
// target gives ERROR_ACCESS_DENIED; copying a file onto itself, ERROR_SHARING_VIOLATION.
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);

// Creates one folder (its parent must exist: else ERROR_PATH_NOT_FOUND); ERROR_ALREADY_EXISTS when the name
// is taken. The security attributes are ignored.
BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Removes an empty folder: ERROR_DIR_NOT_EMPTY otherwise, ERROR_DIRECTORY for a file.
BOOL RemoveDirectoryA(LPCSTR lpPathName);
