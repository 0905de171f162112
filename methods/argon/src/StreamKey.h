// The secret stream's key: Argon2id version 1.3 with one lane of the password's UTF-8 bytes under the
// container's salt, operations limit and memory limit, the same bytes as libsodium's crypto_pwhash.
#pragma once

#include <cstdint>
#include <span>

#include "ContainerHeader.h"
#include "argon/SecureBytes.h"

namespace velmora::argonbox {

constexpr std::size_t kKeyBytes = 32;  // crypto_secretstream_xchacha20poly1305_KEYBYTES

// out.size() bytes of Argon2id; memoryBytes counts in whole KiB as libsodium does. Error 7, out zeroed,
// when the memory cannot be had or the limits are outside libsodium's.
void argon2id(std::span<std::uint8_t> out, std::span<const std::uint8_t> password,
              std::span<const std::uint8_t, kSaltBytes> salt, std::uint32_t opsLimit,
              std::uint64_t memoryBytes);

SecureBytes streamKey(std::span<const std::uint8_t> password, const ContainerHeader& header);

}  // namespace velmora::argonbox
