// Keys and values as rows of the registry database. Every call runs inside the caller's transaction.
#pragma once

#include "platform/win32types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::registry {

using KeyId = std::int64_t;

// Fixed rows of the schema: the roots, and HKLM\Software\Classes, which HKEY_CLASSES_ROOT shows.
constexpr KeyId kCurrentUser = 1;
constexpr KeyId kLocalMachine = 2;
constexpr KeyId kPerformanceData = 4;
constexpr KeyId kDynData = 6;
constexpr KeyId kClassesRoot = 8;

// Nothing may be written below the performance and dynamic-data roots.
inline bool isReadOnly(KeyId key) {
    return key == kPerformanceData || key == kDynData;
}
// The roots and the classes root stay, whatever a caller deletes.
inline bool isPermanent(KeyId key) {
    return key <= kClassesRoot;
}

struct StoredValue {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct Subkey {
    std::string name;
    std::int64_t written = 0;  // last write, in FILETIME units
};

struct KeyInfo {
    DWORD subkeys = 0;
    DWORD maxSubkeyName = 0;
    DWORD values = 0;
    DWORD maxValueName = 0;
    DWORD maxValueData = 0;
    std::int64_t written = 0;  // last write, in FILETIME units
};

KeyId findSubkey(KeyId parent, std::string_view name);  // 0 when there is none
KeyId createSubkey(KeyId parent, std::string_view name);
bool keyExists(KeyId key);
bool hasSubkeys(KeyId key);
void deleteKey(KeyId key);  // with its values; the caller checked it has no subkeys
void touchKey(KeyId key);   // records a write for RegQueryInfoKeyA and RegEnumKeyExA

std::optional<StoredValue> findValue(KeyId key, std::string_view name);
void storeValue(KeyId key, std::string_view name, DWORD type, const BYTE* data, std::size_t size);
bool deleteValue(KeyId key, std::string_view name);  // false when there was none

std::optional<Subkey> subkeyAt(KeyId key, DWORD index);
std::optional<StoredValue> valueAt(KeyId key, DWORD index);
KeyInfo keyInfo(KeyId key);

}  // namespace velmora::registry
