// GetVersionExA: the system reports itself as a current member of the NT line (version 10.0, a
// workstation, no service pack), so code that gates features on the version finds them all available.
#pragma once

#include "platform/win32types.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

// The extended record (156 bytes): service pack, suite mask and product type follow.
struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

constexpr BYTE VER_NT_WORKSTATION = 1;
constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
constexpr BYTE VER_NT_SERVER = 3;

// FALSE with ERROR_INVALID_PARAMETER unless dwOSVersionInfoSize is sizeof(OSVERSIONINFOA) or, for the
// extended record (passed cast to LPOSVERSIONINFOA as on the original), sizeof(OSVERSIONINFOEXA).
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
