// CRC-32 (reflected polynomial 0xEDB88320, preset and final complement: the zlib value) and Adler-32
// (RFC 1950). Updates chain: feeding a file in pieces gives the value of the whole.
#pragma once

#include <cstdint>
#include <span>

namespace velmora {

// Running value 0 to start.
std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) noexcept;
// Running value 1 to start. An empty piece gives 1, whatever the running value.
std::uint32_t adler32Update(std::uint32_t adler, std::span<const std::uint8_t> bytes) noexcept;

}  // namespace velmora
