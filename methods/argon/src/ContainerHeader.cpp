#include "ContainerHeader.h"

#include <algorithm>
#include <string_view>

#include "argon/MethodErrors.h"

namespace velmora::argonbox {
namespace {

constexpr std::string_view kMagic = "VLMRSEAL";
constexpr std::uint8_t kFormatVersion = 1;
constexpr std::uint8_t kArgon2id13 = 1;

constexpr std::size_t kVersionAt = 8, kDerivationAt = 9, kReservedAt = 10, kOpsAt = 12, kMemoryAt = 16,
                      kSaltAt = 20, kChunkAt = 36;

void put32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return value;
}

}  // namespace

bool Parameters::acceptable() const noexcept {
    return opsLimit >= kMinOpsLimit && opsLimit <= kMaxOpsLimit && memoryKiB >= kMinMemoryKiB &&
           memoryKiB <= kMaxMemoryKiB && chunkBytes >= kMinChunkBytes && chunkBytes <= kMaxChunkBytes;
}

std::array<std::uint8_t, kHeaderBytes> ContainerHeader::bytes() const noexcept {
    std::array<std::uint8_t, kHeaderBytes> out{};
    std::copy(kMagic.begin(), kMagic.end(), out.begin());
    out[kVersionAt] = kFormatVersion;
    out[kDerivationAt] = kArgon2id13;
    put32(out, kOpsAt, parameters.opsLimit);
    put32(out, kMemoryAt, parameters.memoryKiB);
    std::copy(salt.begin(), salt.end(), out.begin() + kSaltAt);
    put32(out, kChunkAt, parameters.chunkBytes);
    return out;
}

ContainerHeader ContainerHeader::parse(std::span<const std::uint8_t> start) {
    // Whatever is too short to carry the magic and version is not this method's either.
    if (start.size() <= kVersionAt || !std::equal(kMagic.begin(), kMagic.end(), start.begin()) ||
        start[kVersionAt] != kFormatVersion)
        raiseMethodError(methodError::NotThisMethod);
    if (start.size() < kHeaderBytes) raiseMethodError(methodError::WrongPasswordOrDamaged);
    ContainerHeader header{};
    header.parameters = {get32(start, kOpsAt), get32(start, kMemoryAt), get32(start, kChunkAt)};
    std::copy_n(start.begin() + kSaltAt, kSaltBytes, header.salt.begin());
    if (start[kDerivationAt] != kArgon2id13 || start[kReservedAt] != 0 || start[kReservedAt + 1] != 0 ||
        !header.parameters.acceptable())
        raiseMethodError(methodError::UnsupportedParameters);
    return header;
}

}  // namespace velmora::argonbox
