// Registry access: opens keys (creating them when missing) and remembers every key it opened until it
// is closed, converts values between registry types and typed values, and offers one-call reads and
// writes that open and close their own key.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/Collection.h"

namespace velmora {

// The platform's predefined root keys.
enum StandardRegistryKeys : std::int32_t {
    HKeyClassesRoot = static_cast<std::int32_t>(0x80000000u),
    HkeyCurrentUser = static_cast<std::int32_t>(0x80000001u),
    HKeyLocalMachine = static_cast<std::int32_t>(0x80000002u),
    HKeyUsers = static_cast<std::int32_t>(0x80000003u),
    HKeyPerformanceData = static_cast<std::int32_t>(0x80000004u),
    HKeyCurrentConfig = static_cast<std::int32_t>(0x80000005u),
    HKeyDynamicData = static_cast<std::int32_t>(0x80000006u),
};

class RegistryObject : public Dispatchable<RegistryObject> {
  public:
    static const ClassInfo& describe();

    RegistryObject() = default;
    ~RegistryObject() override;  // closes every key still open

    // Keys opened and not yet closed.
    std::int32_t Count() const { return m_keys.Count(); }
    // The handle at a 1-based position or under a key; -1 when there is none.
    std::int32_t Item(const Variant& vntIndexKey) const;
    // Accepted and ignored: the collection changes only through OpenKey and closeKey.
    void setItem(const Variant& vntIndexKey, std::int32_t value);

    // Opens or creates uKey\szSubKey with full access; the handle, or -1. Remembered under vntIndexKey, or
    // under the handle in hexadecimal followed by "_H" when that is empty (a key already in use keeps
    // its first handle).
    std::int32_t OpenKey(std::int32_t uKey, std::u16string szSubKey, std::u16string vntIndexKey);
    // Forgets and closes a key, named by its handle or by the key given to OpenKey.
    void closeKey(Variant uKey);
    // The names of the subkeys of hKey\KeyName, each under its own name.
    ObjectRef EnumRegistryKeys(std::int32_t hKey, std::u16string KeyName);
    // (name, value) pairs of the values of hKey\KeyName, each under its name.
    ObjectRef EnumRegistryValues(std::int32_t hKey, std::u16string KeyName);
    // One value of an open key; a missing or empty one gives DefaultValue (then stored) or Empty.
    Variant GetValue(std::int32_t uKey, std::u16string szValue, Variant& DefaultValue);
    Variant GetMultiSZ(std::u16string vData);
    std::u16string ToMultiSZ(Variant& vData);
    // Writes (or, when vData is omitted, deletes) one value; the platform's status, 0 on success.
    std::int32_t SetValue(std::int32_t uKey, std::u16string szValue, Variant& vData);
    void DeleteValue(std::int32_t& Root, std::u16string strKeyPath, std::u16string strSubKeyPath);
    Variant DeleteKey(std::int32_t& Root, std::u16string strKeyPath);
    bool DoesKeyExist(std::int32_t& Root, std::u16string strSubKeyPath);
    // The value as text, "" when missing, "Error" when it has no text form or anything fails.
    std::u16string GetKeyValue(std::int32_t& Root, std::u16string strKeyPath, std::u16string strSubKey);
    // SetValue's status, or -1 when anything fails.
    std::int32_t SetKeyValue(std::int32_t& Root, std::u16string strSubKeyPath, std::u16string strKey,
                             Variant Value);

  private:
    void forget(std::int32_t handle);

    Collection m_keys;
};

}  // namespace velmora
