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

std::optional<std::size_t> frameLengthFor(std::span<const std::uint8_t> head, std::size_t frameSize) {
    if (head.size() < kLengthBytes || frameSize < kLengthBytes) raise(err::SubscriptOutOfRange);
    const auto length = static_cast<std::int32_t>(head[0] | static_cast<std::uint32_t>(head[1]) << 8 |
                                                  static_cast<std::uint32_t>(head[2]) << 16 |
                                                  static_cast<std::uint32_t>(head[3]) << 24);
    const auto total = static_cast<std::int64_t>(frameSize);
    if (length > total - static_cast<std::int64_t>(kLengthBytes)) return std::nullopt;
    if (length <= 0) raise(err::SubscriptOutOfRange);
    // A frame this format wrote ends with its data in the last block: anything shorter is what a wrong
    // key yields, and must not pass for plaintext.
    if (length <= total - static_cast<std::int64_t>(kLengthBytes + kBlockBytes)) return std::nullopt;
    return static_cast<std::size_t>(length);
}

bool isZeroPadding(std::span<const std::uint8_t> padding) {
    return std::all_of(padding.begin(), padding.end(), [](std::uint8_t b) { return b == 0; });
}

std::optional<std::size_t> frameDataLength(std::span<const std::uint8_t> frame) {
    const std::optional<std::size_t> length = frameLengthFor(frame, frame.size());
    if (!length || !isZeroPadding(frame.subspan(kLengthBytes + *length))) return std::nullopt;
    return length;
}

}  // namespace velmora
