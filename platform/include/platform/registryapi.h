// The registry: Win32 Reg* calls over one SQLite database shared by every process of the user.
//
// Storage: $VELMORA_REGISTRY, else $XDG_DATA_HOME/velmora/registry.db (~/.local/share/velmora/registry.db).
// Every write is one short immediate transaction, so many processes and threads may read and write at once
// without losing a write. Key and value names compare case-insensitively (ASCII) and keep their case.
//
// Roots: HKEY_CLASSES_ROOT is a view of HKEY_LOCAL_MACHINE\Software\Classes (the same keys under two names).
// HKEY_CURRENT_USER, HKEY_USERS and HKEY_CURRENT_CONFIG are trees of their own (the database is per user).
// HKEY_PERFORMANCE_DATA and HKEY_DYN_DATA are read-only and empty: writes below them give
// ERROR_ACCESS_DENIED. Root handles need no closing (RegCloseKey on them succeeds); the roots and
// Software\Classes cannot be deleted. Root handles are accepted both sign-extended (as Win32 defines them)
// and zero-extended.
//
// Every Reg* call returns a Win32 status (ERROR_SUCCESS = 0) and never crashes on bad input: a closed or
// unknown HKEY gives ERROR_INVALID_HANDLE, a key deleted while open ERROR_KEY_DELETED, a missing required
// pointer ERROR_INVALID_PARAMETER, a key name component over 255 characters or a value name over 16383
// ERROR_INVALID_PARAMETER, a malformed path (leading or doubled backslash) ERROR_BAD_PATHNAME.
// Handles carry the access they were opened with, checked as Win32 checks it.
#pragma once

#include "platform/win32types.h"

using REGSAM = DWORD;
using PHKEY = HKEY*;

// Win32 defines the roots as sign-extended 32-bit values.
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000000)));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000001)));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000002)));
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000003)));
inline const HKEY HKEY_PERFORMANCE_DATA =
    reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000004)));
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000005)));
inline const HKEY HKEY_DYN_DATA = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(LONG(0x80000006)));

// Value types. Any other number is stored and returned as well; data is always kept byte for byte.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = 0x20019;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

// RegCreateKeyExA options and dispositions. Volatile keys are kept like persistent ones.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Name limits, in characters without the terminating NUL.
constexpr DWORD MAX_REG_KEY_NAME = 255;
constexpr DWORD MAX_REG_VALUE_NAME = 16383;

// Opens or creates hKey\lpSubKey and every missing key on the way; *lpdwDisposition (optional) tells which.
// An empty lpSubKey gives a new handle to hKey itself. lpClass, dwOptions and security are accepted and
// ignored. Creating needs KEY_CREATE_SUB_KEY on hKey.
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
// RegCreateKeyExA with full access. A null or empty lpSubKey gives a new handle to hKey (Win32 hands back
// hKey itself, which a caller closing both would close twice).
LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Opens an existing key (ERROR_FILE_NOT_FOUND when any part is missing). Null or empty lpSubKey: a new
// handle to hKey. *phkResult is null after a failure.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
// RegOpenKeyExA with full access.
LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
// Closes an opened key. Closing a root succeeds and does nothing.
LONG RegCloseKey(HKEY hKey);

// Reads a value (null or empty name: the key's default value). lpType, lpData optional. With lpData null,
// *lpcbData receives the size; a buffer smaller than the data gives ERROR_MORE_DATA, the size in *lpcbData
// and leaves the buffer untouched. A missing value gives ERROR_FILE_NOT_FOUND and changes no output.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
// Creates or replaces a value with cbData bytes of lpData, stored exactly as given, whatever dwType says.
// A replaced value keeps its place in the enumeration order.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
// Deletes a value; ERROR_FILE_NOT_FOUND when there is none.
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Deletes hKey\lpSubKey (empty: hKey itself) with its values. A key with subkeys is refused with
// ERROR_ACCESS_DENIED, as are the roots. Handles still open on it then give ERROR_KEY_DELETED.
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// The dwIndex-th subkey, in case-insensitive alphabetical order; ERROR_NO_MORE_ITEMS past the end.
// *lpcchName: buffer size in, name length (without NUL) out; a short buffer gives ERROR_MORE_DATA with
// the size needed including the NUL. Subkeys have no class: lpClass (optional) receives "".
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
// The dwIndex-th value, in the order values were created; ERROR_NO_MORE_ITEMS past the end.
// Name as in RegEnumKeyExA; data as in RegQueryValueExA. On ERROR_MORE_DATA the sizes needed are reported
// and no buffer is written.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Counts and longest lengths of a key's subkey names, value names and value data; every output optional.
LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      PFILETIME lpftLastWriteTime);
