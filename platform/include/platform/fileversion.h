// File version information. Every library and program of the suite carries its version as a
// VS_FIXEDFILEINFO record in the ELF section ".velmora_version" (the build adds it to each target, see
// cmake/fileversion.cpp.in); these calls read it from the file without loading it. A file without the
// section fails with ERROR_RESOURCE_TYPE_NOT_FOUND (1813), a missing one with ERROR_FILE_NOT_FOUND, a file
// that is not ELF with ERROR_BAD_FORMAT. The block holds the fixed record only: VerQueryValueA answers "\".
#pragma once

#include "platform/win32types.h"

using PUINT = UINT*;

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VOS_UNKNOWN = 0;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;  // major in the high word, minor in the low one
    DWORD dwFileVersionLS;  // build, revision
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// The size of the block GetFileVersionInfoA fills; 0 on failure. lpdwHandle (may be null) is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
// Fills at most dwLen bytes; FALSE with ERROR_INSUFFICIENT_BUFFER when dwLen is below the block's size.
BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// "\" points *lplpBuffer at the block's VS_FIXEDFILEINFO; any other sub-block gives FALSE.
BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen);
