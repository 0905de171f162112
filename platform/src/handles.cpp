// The handle table: one mutex-guarded map from handle value to object.
#include "platform/handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace velmora {
namespace {

constexpr std::uint32_t kFirstValue = 0x100;
constexpr std::uint32_t kLastValue = 0x3FFFFFFC;

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uint32_t, std::shared_ptr<HandleObject>> objects;
    std::uint32_t next = kFirstValue;
};

HandleTable& table() {
    // Deliberately never destroyed: other libraries may close handles from their own static destructors.
    static HandleTable& instance = *std::make_unique<HandleTable>().release();
    return instance;
}

// Handle values are whole numbers stored in a pointer; anything not in our range is not ours.
bool toKey(HANDLE handle, std::uint32_t& key) {
    const auto raw = reinterpret_cast<std::uintptr_t>(handle);
    if (raw < kFirstValue || raw > kLastValue || raw % 4 != 0) return false;
    key = static_cast<std::uint32_t>(raw);
    return true;
}

}  // namespace

HANDLE insertHandle(std::shared_ptr<HandleObject> object) {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    while (t.objects.count(t.next)) t.next = t.next >= kLastValue ? kFirstValue : t.next + 4;
    const std::uint32_t key = t.next;
    t.next = t.next >= kLastValue ? kFirstValue : t.next + 4;
    t.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(key));
}

std::shared_ptr<HandleObject> findHandle(HANDLE handle) {
    std::uint32_t key = 0;
    if (toKey(handle, key)) {
        HandleTable& t = table();
        std::lock_guard lock(t.mutex);
        if (auto it = t.objects.find(key); it != t.objects.end()) return it->second;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

std::shared_ptr<HandleObject> removeHandle(HANDLE handle, bool (*isKind)(const HandleObject&)) {
    std::shared_ptr<HandleObject> object;
    std::uint32_t key = 0;
    if (toKey(handle, key)) {
        HandleTable& t = table();
        std::lock_guard lock(t.mutex);
        if (auto it = t.objects.find(key); it != t.objects.end() && (!isKind || isKind(*it->second))) {
            object = std::move(it->second);
            t.objects.erase(it);
        }
    }
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;  // released outside the lock: closing may take time (flush, unlink)
}

std::size_t openHandleCount() {
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.objects.size();
}

}  // namespace velmora

BOOL CloseHandle(HANDLE hObject) {
    return velmora::removeHandle(hObject) ? TRUE : FALSE;
}
