// Which file a path leads to, whatever way it is named: the device and inode pair. Walks use it to meet
// each folder once, whatever links or bind mounts lead to it again.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of what the suite path leads to (links followed); none when it cannot be reached.
std::optional<FileIdentity> fileIdentity(std::string_view suitePath);

}  // namespace velmora
