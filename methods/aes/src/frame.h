// The plain frame every encrypted form holds: a 4-byte little-endian signed length L, the L data bytes,
// and zero bytes up to the next multiple of the 32-byte block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

constexpr std::size_t kBlockBytes = 32;
constexpr std::size_t kLengthBytes = 4;

// 4 + L rounded up to a whole number of blocks; error 6 when that no longer fits a 32-bit length.
std::size_t frameSize(std::int64_t dataLength);

// Writes L into the frame's first four bytes.
void writeFrameLength(std::span<std::uint8_t> frame, std::int32_t dataLength);

// The data length of a deciphered frame of T bytes, when the frame is one this format produces: its
// length inside the last block (T - 36 < L <= T - 4) and zero padding after the data. Nothing for any
// other frame (a wrong password, damaged or foreign data). Error 9 for a frame shorter than its length
// field and for a length of 0 or less.
std::optional<std::size_t> frameDataLength(std::span<const std::uint8_t> frame);

// The two halves of that check, for a frame that is deciphered a piece at a time: the length its first
// block gives against the frame's size T (head holds at least the length field), then whether the bytes
// after the data are zero.
std::optional<std::size_t> frameLengthFor(std::span<const std::uint8_t> head, std::size_t frameSize);
bool isZeroPadding(std::span<const std::uint8_t> padding);

}  // namespace velmora
