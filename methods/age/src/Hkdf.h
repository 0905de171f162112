// HKDF-SHA-256 (RFC 5869) for one 32-byte output block, on libsodium's HMAC-SHA-256: the libsodium this
// suite builds on has no HKDF of its own.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "argon/SecureBytes.h"

namespace velmora::ageseal {

constexpr std::size_t kHashBytes = 32;

void hmacSha256(std::span<std::uint8_t, kHashBytes> out, std::span<const std::uint8_t> key,
                std::span<const std::uint8_t> message);

// An empty salt counts as 32 zero bytes, as the RFC says. out may be guarded memory of the caller's.
void hkdfSha256(std::span<std::uint8_t, kHashBytes> out, std::span<const std::uint8_t> ikm,
                std::span<const std::uint8_t> salt, std::string_view info);
argonbox::SecureBytes hkdfSha256(std::span<const std::uint8_t> ikm, std::span<const std::uint8_t> salt,
                                 std::string_view info);

}  // namespace velmora::ageseal
