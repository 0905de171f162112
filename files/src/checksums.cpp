#include "checksums.h"

#include <array>
#include <cstring>

namespace velmora {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Table 0 is the classic byte table; tables 1..7 let eight bytes go through at once (slicing by 8).
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeTables() {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr CrcTables kTables = makeTables();

constexpr std::uint32_t kAdlerBase = 65521;
// The most bytes whose sums cannot overflow 32 bits before the modulo (as zlib's NMAX).
constexpr std::size_t kAdlerRun = 5552;

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes) noexcept {
    std::uint32_t c = ~crc;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        std::uint32_t lo;
        std::uint32_t hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        lo ^= c;  // little-endian, as the bytes come
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    }
    for (; n > 0; --n, ++p) c = kTables[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return ~c;
}

std::uint32_t adler32Update(std::uint32_t adler, std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.empty()) return 1;
    std::uint32_t s1 = adler & 0xFFFF;
    std::uint32_t s2 = adler >> 16;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    while (n > 0) {
        std::size_t run = n < kAdlerRun ? n : kAdlerRun;
        n -= run;
        for (; run >= 8; run -= 8, p += 8) {
            s1 += p[0];
            s2 += s1;
            s1 += p[1];
            s2 += s1;
            s1 += p[2];
            s2 += s1;
            s1 += p[3];
            s2 += s1;
            s1 += p[4];
            s2 += s1;
            s1 += p[5];
            s2 += s1;
            s1 += p[6];
            s2 += s1;
            s1 += p[7];
            s2 += s1;
        }
        for (; run > 0; --run, ++p) {
            s1 += *p;
            s2 += s1;
        }
        s1 %= kAdlerBase;
        s2 %= kAdlerBase;
    }
    return (s2 << 16) | s1;
}

}  // namespace velmora
