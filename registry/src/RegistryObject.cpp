#include "RegistryObject.h"

#include <vector>

#include "CollectionObject.h"
#include "platform/owned.h"
#include "platform/registryapi.h"
#include "registryvalues.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"

namespace velmora {

namespace {

// Handles are 32-bit numbers on this interface; the roots arrive as negative numbers and are
// sign-extended, as the platform defines them.
HKEY hkeyOf(std::int32_t handle) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(handle));
}
std::int32_t handleOf(HKEY key) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(key));
}

std::u16string hexKeyOf(std::int32_t handle) {
    return Hex(Variant(handle)) + u"_H";
}

bool isIntegerValue(const Variant& value) {
    if (value.isArray()) return false;
    const VarType type = value.type();
    return type == VarType::Long || type == VarType::Integer || type == VarType::Byte;
}

// Names unique to the registry may still coincide for the collection's case folding (non-ASCII
// letters): such an item goes in without a key rather than failing the whole listing.
void addNamed(Collection& items, const Variant& item, const std::u16string& name) {
    try {
        items.Add(item, Variant(name));
    } catch (const RuntimeError&) {
        items.Add(item);
    }
}

// The key to enumerate: hKey itself, or KeyName below it opened for reading (closed when done).
class EnumeratedKey {
  public:
    EnumeratedKey(std::int32_t hKey, const std::u16string& keyName) : m_key(hkeyOf(hKey)) {
        if (keyName.empty()) return;
        HKEY opened = nullptr;
        if (RegOpenKeyExA(m_key, toUtf8(keyName).c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            m_key = opened;
            m_owned = true;
        } else {
            m_key = nullptr;
        }
    }
    ~EnumeratedKey() {
        if (m_owned) RegCloseKey(m_key);
    }
    EnumeratedKey(const EnumeratedKey&) = delete;
    EnumeratedKey& operator=(const EnumeratedKey&) = delete;

    HKEY get() const noexcept { return m_key; }

  private:
    HKEY m_key;
    bool m_owned = false;
};

struct EnumeratedValue {
    std::string name;
    RegistryData data;
};

// The value at index, growing the buffers as often as the platform asks for more room. False at the
// end of the list or on any failure.
bool enumValue(HKEY key, DWORD index, EnumeratedValue& value) {
    std::vector<char> name(260);
    std::vector<std::uint8_t> data(4096);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG status =
            RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (status == ERROR_MORE_DATA) {
            name.resize(std::max<std::size_t>(name.size(), nameLength + 1));
            data.resize(std::max<std::size_t>(data.size(), dataLength));
            continue;
        }
        if (status != ERROR_SUCCESS) return false;
        value.name.assign(name.data(), nameLength);
        value.data.type = type;
        value.data.bytes.assign(data.begin(), data.begin() + dataLength);
        return true;
    }
    return false;
}

Variant pair(const std::u16string& name, Variant value) {
    SafeArray array(VarType::Variant, {{0, 2}});
    array.items()[0] = Variant(name);
    array.items()[1] = std::move(value);
    return Variant(std::move(array));
}

// The value's type and data; a value that changes size between the two reads is read again.
std::optional<RegistryData> queryValue(HKEY key, const std::string& name) {
    DWORD type = REG_NONE, size = 0;
    RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
        std::vector<std::uint8_t> buffer(size + 2);
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &length);
        if (status == ERROR_SUCCESS) {
            if (length == 0) break;
            buffer.resize(length);
            return RegistryData{type, std::move(buffer)};
        }
        if (status != ERROR_MORE_DATA) break;
        size = length;
    }
    return std::nullopt;
}

}  // namespace

const ClassInfo& RegistryObject::describe() {
    static const ClassInfo info =
        ClassBuilder<RegistryObject>(u"RegistryObject")
            .propertyGet(u"Count", &RegistryObject::Count)
            .property(u"Item", &RegistryObject::Item, &RegistryObject::setItem, {u"vntIndexKey"})
            .method(u"OpenKey", &RegistryObject::OpenKey, {u"uKey", u"szSubKey", opt(u"vntIndexKey")})
            .method(u"closeKey", &RegistryObject::closeKey, {u"uKey"})
            .method(u"EnumRegistryKeys", &RegistryObject::EnumRegistryKeys, {u"hKey", u"KeyName"})
            .method(u"EnumRegistryValues", &RegistryObject::EnumRegistryValues, {u"hKey", u"KeyName"})
            .method(u"GetValue", &RegistryObject::GetValue, {u"uKey", u"szValue", opt(u"DefaultValue")})
            .method(u"GetMultiSZ", &RegistryObject::GetMultiSZ, {u"vData"})
            .method(u"ToMultiSZ", &RegistryObject::ToMultiSZ, {u"vData"})
            .method(u"SetValue", &RegistryObject::SetValue, {u"uKey", u"szValue", opt(u"vData")})
            .method(u"DeleteValue", &RegistryObject::DeleteValue, {u"Root", u"strKeyPath", u"strSubKeyPath"})
            .method(u"DeleteKey", &RegistryObject::DeleteKey, {u"Root", u"strKeyPath"})
            .method(u"DoesKeyExist", &RegistryObject::DoesKeyExist, {u"Root", u"strSubKeyPath"})
            .method(u"GetKeyValue", &RegistryObject::GetKeyValue, {u"Root", u"strKeyPath", u"strSubKey"})
            .method(u"SetKeyValue", &RegistryObject::SetKeyValue,
                    {u"Root", u"strSubKeyPath", u"strKey", u"Value"})
            .build();
    return info;
}

RegistryObject::~RegistryObject() {
    for (const Variant& handle : m_keys) RegCloseKey(hkeyOf(handle.toLong()));
}

std::int32_t RegistryObject::Item(const Variant& vntIndexKey) const {
    try {
        return m_keys.Item(vntIndexKey).toLong();
    } catch (const RuntimeError&) {
        return -1;
    }
}

void RegistryObject::setItem(const Variant&, std::int32_t) {}

std::int32_t RegistryObject::OpenKey(std::int32_t uKey, std::u16string szSubKey, std::u16string vntIndexKey) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(hkeyOf(uKey), toUtf8(szSubKey).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return -1;
    const std::int32_t handle = handleOf(key);
    try {
        m_keys.Add(Variant(handle), Variant(vntIndexKey.empty() ? hexKeyOf(handle) : vntIndexKey));
    } catch (const RuntimeError&) {
        // the name is taken: the caller still gets (and must close) the handle
    }
    return handle;
}

void RegistryObject::forget(std::int32_t handle) {
    try {
        m_keys.Remove(Variant(hexKeyOf(handle)));
        return;
    } catch (const RuntimeError&) {
    }
    // A key opened under a name and closed by its handle leaves the collection too, so Count stays true
    // and the key is not closed a second time on release.
    std::int32_t position = 1;
    for (const Variant& tracked : m_keys) {
        if (tracked.toLong() == handle) {
            m_keys.Remove(Variant(position));
            return;
        }
        ++position;
    }
}

void RegistryObject::closeKey(Variant uKey) {
    if (isIntegerValue(uKey)) {
        const std::int32_t handle = uKey.toLong();
        forget(handle);
        RegCloseKey(hkeyOf(handle));
    } else if (uKey.isString()) {
        try {
            const std::int32_t handle = m_keys.Item(uKey).toLong();
            m_keys.Remove(uKey);
            RegCloseKey(hkeyOf(handle));
        } catch (const RuntimeError&) {
            // no key of that name: nothing to close
        }
    }
}

ObjectRef RegistryObject::EnumRegistryKeys(std::int32_t hKey, std::u16string KeyName) {
    auto names = makeObject<CollectionObject>();
    const EnumeratedKey key(hKey, KeyName);
    if (!key.get()) return names;
    Collection& items = names->items();
    char name[260];
    // Any failure ends the listing, not only the end of the list: a bad handle must not loop for ever.
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::u16string text = fromUtf8(std::string_view(name, length));
        addNamed(items, Variant(text), text);
    }
    return names;
}

ObjectRef RegistryObject::EnumRegistryValues(std::int32_t hKey, std::u16string KeyName) {
    auto values = makeObject<CollectionObject>();
    const EnumeratedKey key(hKey, KeyName);
    if (!key.get()) return values;
    Collection& items = values->items();
    EnumeratedValue value;
    for (DWORD index = 0; enumValue(key.get(), index, value); ++index) {
        const std::u16string name = fromUtf8(value.name);
        addNamed(items, pair(name, displayValue(value.data)), name);
    }
    return values;
}

Variant RegistryObject::GetValue(std::int32_t uKey, std::u16string szValue, Variant& DefaultValue) {
    const std::optional<RegistryData> data = queryValue(hkeyOf(uKey), toUtf8(szValue));
    if (data) return decodeValue(*data);
    if (DefaultValue.isMissing()) return Variant();
    SetValue(uKey, szValue, DefaultValue);
    return DefaultValue;
}

Variant RegistryObject::GetMultiSZ(std::u16string vData) {
    return fromMultiSZ(vData);
}

std::u16string RegistryObject::ToMultiSZ(Variant& vData) {
    return toMultiSZ(vData);
}

std::int32_t RegistryObject::SetValue(std::int32_t uKey, std::u16string szValue, Variant& vData) {
    const std::string name = toUtf8(szValue);
    if (vData.isMissing()) return RegDeleteValueA(hkeyOf(uKey), name.c_str());
    const std::optional<RegistryData> data = encodeValue(vData);
    // A value with no registry form is written nowhere, and the caller hears so.
    if (!data) return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(hkeyOf(uKey), name.c_str(), 0, data->type, data->bytes.data(),
                          static_cast<DWORD>(data->bytes.size()));
}

void RegistryObject::DeleteValue(std::int32_t& Root, std::u16string strKeyPath,
                                 std::u16string strSubKeyPath) {
    const std::int32_t handle = OpenKey(Root, strKeyPath, {});
    RegDeleteValueA(hkeyOf(handle), toUtf8(strSubKeyPath).c_str());
    closeKey(Variant(handle));
}

Variant RegistryObject::DeleteKey(std::int32_t& Root, std::u16string strKeyPath) {
    RegDeleteKeyA(hkeyOf(Root), toUtf8(strKeyPath).c_str());
    return Variant();
}

bool RegistryObject::DoesKeyExist(std::int32_t& Root, std::u16string strSubKeyPath) {
    OwnedKey key;
    return RegOpenKeyA(hkeyOf(Root), toUtf8(strSubKeyPath).c_str(), key.put()) == ERROR_SUCCESS && key;
}

std::u16string RegistryObject::GetKeyValue(std::int32_t& Root, std::u16string strKeyPath,
                                           std::u16string strSubKey) {
    const std::int32_t handle = OpenKey(Root, strKeyPath, {});
    std::u16string text;
    try {
        Variant noDefault = Variant::missing();
        text = GetValue(handle, strSubKey, noDefault).toString();
    } catch (const RuntimeError&) {
        text = u"Error";
    }
    // Closed on failure as well, so a failed read leaves no key open.
    closeKey(Variant(handle));
    return text;
}

std::int32_t RegistryObject::SetKeyValue(std::int32_t& Root, std::u16string strSubKeyPath,
                                         std::u16string strKey, Variant Value) {
    const std::int32_t handle = OpenKey(Root, strSubKeyPath, {});
    std::int32_t status;
    try {
        status = SetValue(handle, strKey, Value);
    } catch (const RuntimeError&) {
        status = -1;
    }
    closeKey(Variant(handle));
    return status;
}

}  // namespace velmora
