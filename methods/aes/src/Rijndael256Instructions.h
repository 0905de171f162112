// Rijndael with a 256-bit block (Nb = 8, 14 rounds) on the processor's AES instructions: the block is two
// 128-bit halves; before each round instruction a byte blend between the halves and a byte shuffle within
// each turn the AES row shift (0, 1, 2, 3 columns of 4) into the 256-bit one (0, 1, 3, 4 columns of 8).
// Takes the table path's expanded keys as they stand (the decryption key is the equivalent inverse
// cipher's, which the AES decryption instruction expects), so both paths give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::rijndael256 {

// Whether this processor has the AES, SSSE3 and SSE4.1 instructions the path needs.
bool instructionsAvailable() noexcept;

// `count` whole 32-byte blocks at `data`, in place, under a 120-word expanded key. Only where
// instructionsAvailable().
void encryptBlocks(std::uint8_t* data, std::size_t count, const std::uint32_t* key) noexcept;
void decryptBlocks(std::uint8_t* data, std::size_t count, const std::uint32_t* key) noexcept;

}  // namespace velmora::rijndael256
