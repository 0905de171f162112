// The container's fixed header: what a reader needs before it can derive the key. Layout (little-endian):
// magic "VLMRSEAL" (8), format version 1 (1), key derivation 1 = Argon2id v1.3 (1), reserved 0 (2),
// Argon2 operations limit (4), Argon2 memory limit in KiB (4), salt (16), plain bytes per chunk (4); then
// the secret stream's own 24-byte header. docs/formats/argonbox.md describes the whole container.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::argonbox {

constexpr std::size_t kHeaderBytes = 40;        // the fields above: the first chunk's additional data
constexpr std::size_t kStreamHeaderBytes = 24;  // crypto_secretstream_xchacha20poly1305_HEADERBYTES
constexpr std::size_t kPrefixBytes = kHeaderBytes + kStreamHeaderBytes;
constexpr std::size_t kChunkOverhead = 17;  // crypto_secretstream_xchacha20poly1305_ABYTES
constexpr std::size_t kSaltBytes = 16;      // crypto_pwhash_SALTBYTES

// What the writer chooses. A reader accepts only values within the bounds below, so that a crafted
// header can make it neither allocate without limit nor spin for ever.
struct Parameters {
    std::uint32_t opsLimit;
    std::uint32_t memoryKiB;
    std::uint32_t chunkBytes;

    static constexpr Parameters defaults() noexcept { return {3, 64 * 1024, 64 * 1024}; }
    bool acceptable() const noexcept;
    bool operator==(const Parameters&) const = default;
};

constexpr std::uint32_t kMinOpsLimit = 1, kMaxOpsLimit = 16;
constexpr std::uint32_t kMinMemoryKiB = 8 * 1024, kMaxMemoryKiB = 1024 * 1024;
constexpr std::uint32_t kMinChunkBytes = 1024, kMaxChunkBytes = 16 * 1024 * 1024;

struct ContainerHeader {
    Parameters parameters;
    std::array<std::uint8_t, kSaltBytes> salt;

    std::array<std::uint8_t, kHeaderBytes> bytes() const noexcept;

    // Reads the header from the start of a container (what there is of it). Another magic or version:
    // NotThisMethod; another key derivation, reserved bits or a parameter out of bounds:
    // UnsupportedParameters; a header cut short: WrongPasswordOrDamaged.
    static ContainerHeader parse(std::span<const std::uint8_t> start);
};

}  // namespace velmora::argonbox
