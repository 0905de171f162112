#include "frame.h"

#include <algorithm>
#include <limits>

#include "runtime/Error.h"

namespace velmora {

std::size_t frameSize(std::int64_t dataLength) {
    const std::int64_t size = (dataLength + static_cast<std::int64_t>(kLengthBytes) + kBlockBytes - 1) /
                              static_cast<std::int64_t>(kBlockBytes) * kBlockBytes;
    if (dataLength < 0 || size > std::numeric_limits<std::int32_t>::max()) raise(err::Overflow);
    return static_cast<std::size_t>(size);
}

void writeFrameLength(std::span<std::uint8_t> frame, std::int32_t dataLength) {
    const auto value = static_cast<std::uint32_t>(dataLength);
    for (std::size_t r = 0; r < kLengthBytes; ++r) frame[r] = static_cast<std::uint8_t>(value >> (8 * r));
}

std::optional<std::size_t> frameDataLength(std::span<const std::uint8_t> frame) {
    if (frame.size() < kLengthBytes) raise(err::SubscriptOutOfRange);
    const auto length = static_cast<std::int32_t>(frame[0] | static_cast<std::uint32_t>(frame[1]) << 8 |
                                                  static_cast<std::uint32_t>(frame[2]) << 16 |
                                                  static_cast<std::uint32_t>(frame[3]) << 24);
    const auto total = static_cast<std::int64_t>(frame.size());
    if (length > total - static_cast<std::int64_t>(kLengthBytes)) return std::nullopt;
    if (length <= 0) raise(err::SubscriptOutOfRange);
    // A frame this format wrote ends with its data in the last block: anything shorter, or padding
    // that is not zero, is what a wrong key yields, and must not pass for plaintext.
    if (length <= total - static_cast<std::int64_t>(kLengthBytes + kBlockBytes)) return std::nullopt;
    const auto padding = frame.subspan(kLengthBytes + static_cast<std::size_t>(length));
    if (std::any_of(padding.begin(), padding.end(), [](std::uint8_t b) { return b != 0; }))
        return std::nullopt;
    return static_cast<std::size_t>(length);
}

}  // namespace velmora
