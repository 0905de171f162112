// Folder searches with Win32 wildcards.
#pragma once

#include "platform/attributes.h"
#include "platform/handles.h"
#include "platform/win32types.h"

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using PWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

// Starts a search for "folder\pattern". The pattern matches names case-insensitively the Win32 way: '*'
// any run of characters, '?' one character (or none before a '.' or at the end), "*.*" every name, "*."
// names without a dot, "name.*" the name with or without an extension; a pattern with a '~' also matches
// short names. Files and folders alike are found, hidden and system ones too, with their attributes;
// "." and ".." are listed except in a drive's root. Entries come in case-insensitive name order, taken
// when the search starts. A path ending in a separator finds that folder itself.
// cAlternateFileName holds the short name when it differs from the long one. An entry that is a symbolic
// link has the attributes and size of what it points to plus FILE_ATTRIBUTE_REPARSE_POINT, with
// dwReserved0 = IO_REPARSE_TAG_SYMLINK, as Win32 marks links: a walk that must not follow it can tell.
// INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (no match), ERROR_PATH_NOT_FOUND (no such folder); the
// folder part is literal. One named file is looked up literally (entry.h, attributes.h), never searched.
HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);

enum FINDEX_INFO_LEVELS { FindExInfoStandard, FindExInfoBasic, FindExInfoMaxInfoLevel };
enum FINDEX_SEARCH_OPS {
    FindExSearchNameMatch,
    FindExSearchLimitToDirectories,
    FindExSearchLimitToDevices,
    FindExSearchMaxSearchOp
};
constexpr DWORD FIND_FIRST_EX_CASE_SENSITIVE = 0x1;
constexpr DWORD FIND_FIRST_EX_LARGE_FETCH = 0x2;
// FindFirstFileA with choices: FindExInfoBasic leaves cAlternateFileName empty (short names still match a
// pattern with a '~'); FindExSearchLimitToDirectories gives only folders (links to folders included), the
// file system's record of an entry's type sparing the facts of the rest. LARGE_FETCH is accepted and changes
// nothing. ERROR_INVALID_PARAMETER for a search filter, FindExSearchLimitToDevices, CASE_SENSITIVE, other
// flags or levels.
HANDLE FindFirstFileExA(LPCSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId, LPVOID lpFindFileData,
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD dwAdditionalFlags);
// The next entry; FALSE with ERROR_NO_MORE_FILES after the last.
BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
// Ends a search (CloseHandle does too); ERROR_INVALID_HANDLE for anything but a search handle.
BOOL FindClose(HANDLE hFindFile);
