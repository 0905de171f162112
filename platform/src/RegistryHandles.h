// The table of opened registry keys. An HKEY is a number into this table (kept below 0x80000000, so it
// survives the 32-bit round trips the suite makes), or one of the root values.
#pragma once

#include "RegistryStore.h"
#include "platform/registryapi.h"

namespace velmora::registry {

struct KeyHandle {
    KeyId key;
    REGSAM access;  // normalised: specific KEY_* rights only
};

// What a root or opened handle refers to; fails with ERROR_INVALID_HANDLE for anything else.
KeyHandle resolveHandle(HKEY hKey);
// A new handle on `key` with the rights `samDesired` asks for.
HKEY openHandle(KeyId key, REGSAM samDesired);
// Forgets an opened handle (roots: nothing to do); fails with ERROR_INVALID_HANDLE for unknown ones.
void closeHandle(HKEY hKey);
// Fails with ERROR_ACCESS_DENIED unless the handle was opened with every right in `needed`.
void requireAccess(const KeyHandle& handle, REGSAM needed);

}  // namespace velmora::registry
