// The temporary folder and temporary file names.
#pragma once

#include "platform/win32types.h"

// The temporary folder as a drive path ending in '\': $TMPDIR when set, else the user's private folder
// (velmora::privateTempFolder(), e.g. "Z:\run\user\1000\velmora\temp\"). Returns the length copied, or
// the buffer size needed (NUL included) when nBufferLength is too small; 0 with ERROR_ACCESS_DENIED when
// the private folder is a link or another user's.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);

// Builds "<path>\<first 3 characters of prefix><hex number>.TMP" into lpTempFileName (MAX_PATH bytes).
// uUnique 0: picks a number whose file does not exist, creates that file empty and returns the number;
// otherwise uses uUnique's low 16 bits and creates nothing. 0 on failure: ERROR_DIRECTORY when the path
// is no folder, ERROR_BUFFER_OVERFLOW when the name would not fit, ERROR_FILE_EXISTS when every number
// is taken.
UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName);
