// Libraries (modules): loading, entry points and module paths. An HMODULE is the address where the
// module's image begins, as on the original, so the module that holds any address can be named.
// Module paths are reported as suite drive paths ("Z:\opt\velmora\bin\Ciphercore.dll").
#pragma once

#include "platform/win32types.h"

#include <string>

constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_PIN = 0x1;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

// Loads a library by suite or POSIX path (a bare name is looked for beside the program first, then on
// the system's library path), resolving every symbol now and keeping them private to it. NULL on failure
// with ERROR_MOD_NOT_FOUND (no such file, or a dependency is missing), ERROR_BAD_EXE_FORMAT (not a shared
// library of this machine) or ERROR_PROC_NOT_FOUND (a symbol it imports is missing). Each successful
// load needs one FreeLibrary.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// Drops one load of LoadLibraryA or GetModuleHandleExA; the library is unloaded with the last one.
// FALSE with ERROR_INVALID_HANDLE for a module that this process never loaded through those calls.
BOOL FreeLibrary(HMODULE hLibModule);
// The named function or variable exported by the module itself (not by a library it depends on); NULL
// with ERROR_PROC_NOT_FOUND when it has none (ordinals are not supported), ERROR_MOD_NOT_FOUND for an
// unknown module.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// A loaded module by path or file name (case-blind), NULL for the program; no load is counted. NULL with
// ERROR_MOD_NOT_FOUND when none is loaded.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// As GetModuleHandleA; with ..._FROM_ADDRESS, lpModuleName is an address inside the module wanted. Counts
// a load (to be freed with FreeLibrary) unless ..._UNCHANGED_REFCOUNT; ..._PIN keeps it loaded for good.
BOOL GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule);
// The module's path (hModule NULL: the running program) as a suite path. Returns its length; a short
// buffer receives the path cut to nSize - 1 characters and a NUL, and the result is nSize with
// ERROR_INSUFFICIENT_BUFFER. 0 with ERROR_MOD_NOT_FOUND for an unknown module.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

namespace velmora {

// The suite path of the module holding `address` (a function or variable of it); empty when none does.
// The engine finds its plug-in folder beside its own library this way.
std::string modulePathOf(const void* address);

}  // namespace velmora
