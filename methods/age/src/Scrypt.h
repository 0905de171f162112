// scrypt (RFC 7914), the passphrase derivation of the format: PBKDF2-HMAC-SHA-256 (libsodium's HMAC)
// around ROMix, whose BlockMix runs Salsa20/8. At the format's work factor it is nearly all the time a
// small file costs, so it is written for speed: plain 32-bit Salsa20/8 that the compiler schedules across
// the processor's integer units (any x86-64 runs it; it measured faster than vector code, AVX-512
// included), BlockMix writing straight into ROMix's table, each block of the table that the second loop
// reads asked for as a whole, and the table the shared huge-page memory, wiped before it is returned.
#pragma once

#include <cstdint>
#include <span>

namespace velmora::ageseal {

struct ScryptCost {
    std::uint64_t n;  // a power of two, at least 2
    std::uint32_t r;
    std::uint32_t p;  // r * p below 2^30
};

// Fills out with scrypt(password, salt, cost). False, out untouched, when the cost is outside the limits
// above or its memory (128 * r * (n + 2) bytes) cannot be had.
bool scrypt(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, ScryptCost cost,
            std::span<std::uint8_t> out);

}  // namespace velmora::ageseal
