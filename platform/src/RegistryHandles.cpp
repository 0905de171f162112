#include "RegistryHandles.h"

#include "RegistryDatabase.h"

#include <mutex>
#include <optional>
#include <unordered_map>

namespace velmora::registry {

namespace {

constexpr std::uint32_t kRootBase = 0x80000000;
constexpr std::uint32_t kFirstHandle = 0x100;
constexpr std::uint32_t kLastHandle = 0x7FFFFFFC;
constexpr REGSAM kSpecificRights = 0x3F;
constexpr REGSAM kGenericRead = 0x80000000, kGenericWrite = 0x40000000, kGenericExecute = 0x20000000,
                 kGenericAll = 0x10000000;

// The 32-bit number of a handle, whether it arrives sign-extended (as Win32 defines the roots) or
// zero-extended (as code that stored it in an unsigned 32-bit variable hands it back).
std::optional<std::uint32_t> handleNumber(HKEY hKey) {
    const auto value = reinterpret_cast<std::intptr_t>(hKey);
    if (value >= INT32_MIN && value <= static_cast<std::intptr_t>(UINT32_MAX))
        return static_cast<std::uint32_t>(value);
    return std::nullopt;
}

std::optional<KeyId> rootKey(std::uint32_t number) {
    if (number == kRootBase) return kClassesRoot;
    if (number > kRootBase && number <= kRootBase + 6) return KeyId(number - kRootBase);
    return std::nullopt;
}

REGSAM normalised(REGSAM samDesired) {
    REGSAM rights = samDesired & kSpecificRights;
    if (samDesired & (MAXIMUM_ALLOWED | kGenericAll)) rights |= KEY_ALL_ACCESS;
    if (samDesired & (kGenericRead | kGenericExecute)) rights |= KEY_READ;
    if (samDesired & kGenericWrite) rights |= KEY_WRITE;
    return rights & kSpecificRights;
}

class HandleTable {
  public:
    std::optional<KeyHandle> find(std::uint32_t number) {
        std::lock_guard lock(m_mutex);
        auto it = m_handles.find(number);
        if (it == m_handles.end()) return std::nullopt;
        return it->second;
    }
    std::uint32_t add(KeyHandle handle) {
        std::lock_guard lock(m_mutex);
        // Numbers are not reused until they wrap, so a stale handle rarely meets a new key.
        while (m_handles.count(m_next)) advance();
        const std::uint32_t number = m_next;
        m_handles.emplace(number, handle);
        advance();
        return number;
    }
    bool remove(std::uint32_t number) {
        std::lock_guard lock(m_mutex);
        return m_handles.erase(number) > 0;
    }

  private:
    void advance() { m_next = m_next >= kLastHandle ? kFirstHandle : m_next + 4; }

    std::mutex m_mutex;
    std::unordered_map<std::uint32_t, KeyHandle> m_handles;
    std::uint32_t m_next = kFirstHandle;
};

HandleTable& table() {
    static HandleTable instance;
    return instance;
}

}  // namespace

KeyHandle resolveHandle(HKEY hKey) {
    const auto number = handleNumber(hKey);
    if (!number) fail(ERROR_INVALID_HANDLE);
    if (auto root = rootKey(*number)) return {*root, KEY_ALL_ACCESS & kSpecificRights};
    if (auto handle = table().find(*number)) return *handle;
    fail(ERROR_INVALID_HANDLE);
}

HKEY openHandle(KeyId key, REGSAM samDesired) {
    const std::uint32_t number = table().add({key, normalised(samDesired)});
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(number));
}

void closeHandle(HKEY hKey) {
    const auto number = handleNumber(hKey);
    if (!number) fail(ERROR_INVALID_HANDLE);
    if (rootKey(*number)) return;
    if (!table().remove(*number)) fail(ERROR_INVALID_HANDLE);
}

void requireAccess(const KeyHandle& handle, REGSAM needed) {
    if ((handle.access & needed & kSpecificRights) != (needed & kSpecificRights)) fail(ERROR_ACCESS_DENIED);
}

}  // namespace velmora::registry
