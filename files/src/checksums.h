// CRC-32 (reflected polynomial 0xEDB88320, preset and final complement) and Adler-32 (RFC 1950), both
// computed by zlib. Updates chain: feeding a file in pieces gives the value of the whole.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace velmora {

// Running value 0 to start.
std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) noexcept;
// Running value 1 to start. An empty piece gives 1, whatever the running value.
std::uint32_t adler32Update(std::uint32_t adler, std::span<const std::uint8_t> bytes) noexcept;

// Fills `into` from the data at `offset` for part `part` (0-based); the bytes got, fewer only at the end of
// the data or on a failure. Called for different parts from several threads at once, each part from one.
using ReadAt = std::function<std::size_t(unsigned part, std::uint64_t offset, std::span<std::uint8_t> into)>;

// The CRC-32 (or Adler-32) of `length` bytes given by readAt, taken in `parts` adjacent parts on as many
// threads (the calling one among them) and joined into the value of the whole. Where the data ends early
// the value is that of the bytes before; 0 (1) when none could be read.
std::uint32_t checksumOf(bool adler, std::uint64_t length, unsigned parts, const ReadAt& readAt);

}  // namespace velmora
