#include "ui/resources.h"

#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace velmora {

namespace {

using Key = std::tuple<HMODULE, std::string, int>;

struct ResourceTable {
    std::mutex mutex;
    std::map<Key, std::span<const std::uint8_t>> entries;
};

ResourceTable& table() {
    static ResourceTable resources;
    return resources;
}

}  // namespace

void addModuleResource(HMODULE module, std::string_view type, int id, std::span<const std::uint8_t> data) {
    ResourceTable& resources = table();
    const std::lock_guard lock(resources.mutex);
    resources.entries[Key{module, std::string(type), id}] = data;
}

std::optional<std::span<const std::uint8_t>> findModuleResource(HMODULE module, std::string_view type,
                                                                int id) {
    ResourceTable& resources = table();
    const std::lock_guard lock(resources.mutex);
    const auto it = resources.entries.find(Key{module, std::string(type), id});
    if (it == resources.entries.end()) return std::nullopt;
    return it->second;
}

}  // namespace velmora
