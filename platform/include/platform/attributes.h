// File attributes. Read-only is the absence of all write permission bits; hidden, system, archive and
// temporary live in the "user.DOSATTRIB" extended attribute (written as the text "0x<hex>", or as the
// binary versioned record once it also holds a creation time; both forms are read). A name starting with '.' is hidden as well. On file systems without user
// extended attributes the stored attributes read as absent and setting them does nothing, quietly.
#pragma once

#include "platform/win32types.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;  // a symbolic link (find data only)
constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x800;
constexpr DWORD IO_REPARSE_TAG_SYMLINK = 0xA000000C;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The attributes of a file or folder (symbolic links followed); FILE_ATTRIBUTE_NORMAL when it has none.
// INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND / ERROR_INVALID_NAME on failure.
DWORD GetFileAttributesA(LPCSTR lpFileName);

// Replaces the settable attributes (read-only, hidden, system, archive, temporary; others are ignored,
// FILE_ATTRIBUTE_NORMAL alone clears them). Clearing read-only gives the owner write permission back.
// Folders keep their permissions: read-only is not applied to them. Hidden cannot be cleared from a
// dot-file, whose name makes it hidden.
BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);
