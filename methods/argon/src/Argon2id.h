// Argon2id version 1.3 (RFC 9106), the memory-hard function behind the stream key. H0 and the
// variable-length hash H' are libsodium's BLAKE2b; the memory, one huge-page mapping, is filled lane
// by lane and slice by slice on the calling thread with the widest compression kernel the processor has.
#pragma once

#include <cstdint>
#include <span>

#include "Argon2Compression.h"

namespace velmora::argonbox {

struct Argon2Cost {
    std::uint32_t passes;     // t, at least 1
    std::uint32_t memoryKiB;  // m, at least 8 per lane; used as a multiple of 4 blocks per lane
    std::uint32_t lanes;      // p, 1 to 2^24 - 1
};

struct Argon2Input {
    std::span<const std::uint8_t> password, salt, secret, associatedData;
};

// Fills out (16 bytes to 4 GiB - 1) with Argon2id(input) at cost. False, out untouched, when the cost or
// a length is outside those limits or the memory cannot be had.
bool argon2id(const Argon2Input& input, Argon2Cost cost, std::span<std::uint8_t> out,
              const Argon2Compression& compression = fastestArgon2Compression());

}  // namespace velmora::argonbox
