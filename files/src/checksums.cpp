#include "checksums.h"

#include <zlib.h>

#include <algorithm>

namespace velmora {
namespace {

// zlib takes lengths as uInt; feed larger pieces in slices it can take (the values chain).
constexpr std::size_t kSlice = std::size_t{1} << 30;

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) noexcept {
    uLong value = crc;
    for (std::size_t at = 0; at < bytes.size(); at += kSlice)
        value = ::crc32(value, bytes.data() + at, static_cast<uInt>(std::min(kSlice, bytes.size() - at)));
    return static_cast<std::uint32_t>(value);
}

std::uint32_t adler32Update(std::uint32_t adler, std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.empty()) return 1;
    uLong value = adler;
    for (std::size_t at = 0; at < bytes.size(); at += kSlice)
        value = ::adler32(value, bytes.data() + at, static_cast<uInt>(std::min(kSlice, bytes.size() - at)));
    return static_cast<std::uint32_t>(value);
}

}  // namespace velmora
