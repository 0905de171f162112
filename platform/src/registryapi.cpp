// The Win32 Reg* entry points: argument checks, handle resolution and one transaction per call.
#include "platform/registryapi.h"

#include "RegistryDatabase.h"
#include "RegistryHandles.h"
#include "RegistryStore.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

using namespace velmora::registry;

namespace {

// Runs one call and turns its failure into the Win32 status the caller expects; nothing escapes.
template <class Body>
LONG guarded(Body&& body) noexcept {
    try {
        body();
        return ERROR_SUCCESS;
    } catch (const RegistryError& e) {
        return e.code;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

// "A\B\C" into its names. A trailing backslash is tolerated; a leading or doubled one is not.
std::vector<std::string_view> splitPath(LPCSTR subKey) {
    std::vector<std::string_view> names;
    std::string_view rest = subKey ? subKey : "";
    if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
    while (!rest.empty()) {
        const auto end = rest.find('\\');
        const auto name = rest.substr(0, end);
        if (name.empty()) fail(ERROR_BAD_PATHNAME);
        if (name.size() > MAX_REG_KEY_NAME) fail(ERROR_INVALID_PARAMETER);
        names.push_back(name);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end != std::string_view::npos && rest.empty()) fail(ERROR_BAD_PATHNAME);
    }
    return names;
}

std::string_view valueName(LPCSTR name) {
    if (!name) return {};
    const std::size_t length = strnlen(name, MAX_REG_VALUE_NAME + 1);
    if (length > MAX_REG_VALUE_NAME) fail(ERROR_INVALID_PARAMETER);
    return {name, length};
}

void requireAlive(KeyId key) {
    if (!keyExists(key)) fail(ERROR_KEY_DELETED);
}

void requireWritable(KeyId key) {
    if (isReadOnly(key)) fail(ERROR_ACCESS_DENIED);
}

// Follows `names` down from `key`; 0 when one is missing.
KeyId lookUp(KeyId key, const std::vector<std::string_view>& names) {
    for (const auto name : names)
        if (!(key = findSubkey(key, name))) return 0;
    return key;
}

KeyId walk(KeyId key, const std::vector<std::string_view>& names) {
    key = lookUp(key, names);
    if (!key) fail(ERROR_FILE_NOT_FOUND);
    return key;
}

// Follows `names`, creating what is missing; true in `created` when anything was.
KeyId walkCreating(const KeyHandle& from, const std::vector<std::string_view>& names, bool& created) {
    KeyId key = from.key;
    for (const auto name : names) {
        KeyId child = findSubkey(key, name);
        if (!child) {
            requireWritable(key);
            requireAccess(from, KEY_CREATE_SUB_KEY);
            child = createSubkey(key, name);
            created = true;
        }
        key = child;
    }
    return key;
}

// Copies a name with its NUL into a buffer of *size characters; *size becomes the length without the NUL,
// or the size needed with it when the buffer is short.
void putName(const std::string& name, LPSTR buffer, LPDWORD size) {
    if (*size <= name.size()) {
        *size = static_cast<DWORD>(name.size() + 1);
        fail(ERROR_MORE_DATA);
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
}

bool dataFits(const StoredValue& value, LPBYTE data, LPDWORD size) {
    return !data || *size >= value.data.size();
}

// Hands a value to the caller as RegQueryValueExA does: type, then data and size, or only the size.
void putValue(const StoredValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (type) *type = value.type;
    if (!dataFits(value, data, size)) {
        *size = static_cast<DWORD>(value.data.size());
        fail(ERROR_MORE_DATA);
    }
    if (data && !value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
    if (size) *size = static_cast<DWORD>(value.data.size());
}

void putClass(LPSTR lpClass, LPDWORD lpcchClass) {
    if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
}

void putFileTime(std::int64_t written, PFILETIME fileTime) {
    if (!fileTime) return;
    fileTime->dwLowDateTime = static_cast<DWORD>(written & 0xFFFFFFFF);
    fileTime->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(written) >> 32);
}

void putCount(LPDWORD out, DWORD value) {
    if (out) *out = value;
}

}  // namespace

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                     const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (phkResult) *phkResult = nullptr;
    return guarded([&] {
        if (!phkResult || !lpSubKey) fail(ERROR_INVALID_PARAMETER);
        const KeyHandle parent = resolveHandle(hKey);
        const auto names = splitPath(lpSubKey);
        KeyId key = 0;
        bool created = false;
        {
            // Most calls open keys that exist: try without taking the write lock first.
            Transaction read(Transaction::Read);
            requireAlive(parent.key);
            key = lookUp(parent.key, names);
            read.commit();
        }
        if (!key) {
            Transaction write(Transaction::Write);
            requireAlive(parent.key);
            key = walkCreating(parent, names, created);
            write.commit();
        }
        *phkResult = openHandle(key, samDesired);
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    });
}

LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyExA(hKey, lpSubKey ? lpSubKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE,
                           MAXIMUM_ALLOWED, nullptr, phkResult, nullptr);
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (phkResult) *phkResult = nullptr;
    return guarded([&] {
        if (!phkResult) fail(ERROR_INVALID_PARAMETER);
        const KeyHandle parent = resolveHandle(hKey);
        const auto names = splitPath(lpSubKey);
        Transaction read(Transaction::Read);
        requireAlive(parent.key);
        const KeyId key = walk(parent.key, names);
        read.commit();
        *phkResult = openHandle(key, samDesired);
    });
}

LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegOpenKeyExA(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LONG RegCloseKey(HKEY hKey) {
    return guarded([&] { closeHandle(hKey); });
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    return guarded([&] {
        if (lpData && !lpcbData) fail(ERROR_INVALID_PARAMETER);
        const auto name = valueName(lpValueName);
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_QUERY_VALUE);
        // One statement, so no transaction: the hottest call of the registry stays a single read.
        const auto value = findValue(handle.key, name);
        if (!value) {
            requireAlive(handle.key);
            fail(ERROR_FILE_NOT_FOUND);
        }
        putValue(*value, lpType, lpData, lpcbData);
    });
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return guarded([&] {
        if (!lpData && cbData) fail(ERROR_NOACCESS);
        const auto name = valueName(lpValueName);
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_SET_VALUE);
        requireWritable(handle.key);
        Transaction write(Transaction::Write);
        requireAlive(handle.key);
        storeValue(handle.key, name, dwType, lpData, cbData);
        write.commit();
    });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return guarded([&] {
        const auto name = valueName(lpValueName);
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_SET_VALUE);
        requireWritable(handle.key);
        Transaction write(Transaction::Write);
        requireAlive(handle.key);
        if (!deleteValue(handle.key, name)) fail(ERROR_FILE_NOT_FOUND);
        write.commit();
    });
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    return guarded([&] {
        if (!lpSubKey) fail(ERROR_INVALID_PARAMETER);
        const KeyHandle parent = resolveHandle(hKey);
        const auto names = splitPath(lpSubKey);
        Transaction write(Transaction::Write);
        requireAlive(parent.key);
        const KeyId key = walk(parent.key, names);
        // As on the original platform, only a leaf goes; callers delete trees bottom-up.
        if (isPermanent(key) || hasSubkeys(key)) fail(ERROR_ACCESS_DENIED);
        deleteKey(key);
        write.commit();
    });
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    return guarded([&] {
        if (!lpName || !lpcchName) fail(ERROR_INVALID_PARAMETER);
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_ENUMERATE_SUB_KEYS);
        Transaction read(Transaction::Read);
        requireAlive(handle.key);
        const auto subkey = subkeyAt(handle.key, dwIndex);
        if (!subkey) fail(ERROR_NO_MORE_ITEMS);
        read.commit();
        putName(subkey->name, lpName, lpcchName);
        putClass(lpClass, lpcchClass);
        putFileTime(subkey->written, lpftLastWriteTime);
    });
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    return guarded([&] {
        if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) fail(ERROR_INVALID_PARAMETER);
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_QUERY_VALUE);
        Transaction read(Transaction::Read);
        requireAlive(handle.key);
        const auto value = valueAt(handle.key, dwIndex);
        if (!value) fail(ERROR_NO_MORE_ITEMS);
        read.commit();
        // Check both buffers before writing either, so a short one leaves the caller's buffers as they were.
        const bool nameFits = *lpcchValueName > value->name.size();
        if (!nameFits || !dataFits(*value, lpData, lpcbData)) {
            if (!nameFits) *lpcchValueName = static_cast<DWORD>(value->name.size() + 1);
            if (lpcbData) *lpcbData = static_cast<DWORD>(value->data.size());
            fail(ERROR_MORE_DATA);
        }
        putName(value->name, lpValueName, lpcchValueName);
        putValue(*value, lpType, lpData, lpcbData);
    });
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      PFILETIME lpftLastWriteTime) {
    return guarded([&] {
        const KeyHandle handle = resolveHandle(hKey);
        requireAccess(handle, KEY_QUERY_VALUE);
        Transaction read(Transaction::Read);
        requireAlive(handle.key);
        const KeyInfo info = keyInfo(handle.key);
        read.commit();
        putClass(lpClass, lpcchClass);
        putCount(lpcSubKeys, info.subkeys);
        putCount(lpcbMaxSubKeyLen, info.maxSubkeyName);
        putCount(lpcbMaxClassLen, 0);
        putCount(lpcValues, info.values);
        putCount(lpcbMaxValueNameLen, info.maxValueName);
        putCount(lpcbMaxValueLen, info.maxValueData);
        putCount(lpcbSecurityDescriptor, 0);
        putFileTime(info.written, lpftLastWriteTime);
    });
}
