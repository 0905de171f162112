#include "Rijndael256Instructions.h"

#include <immintrin.h>

#include <array>

#define VELMORA_AES_TARGET gnu::target("aes,ssse3,sse4.1")

namespace velmora::rijndael256 {
namespace {

constexpr int kRowShift[4] = {0, 1, 3, 4};  // columns by which rows 0 to 3 move

// Byte p = 4·column + row of each half. The round instruction's own row shift moves row r of column c
// from column c + r (encryption) or c − r (decryption) of the same half, modulo 4; the half must hold
// beforehand, at that place, the byte that the 256-bit shift brings to column c: row r of column
// c ± kRowShift[r] of the whole block, modulo 8. The blend fetches it from the other half where it lies
// there, at the position it already has; the shuffle then moves it within the half.
struct Masks {
    std::array<std::uint8_t, 16> blend[2];
    std::array<std::uint8_t, 16> shuffle[2];
};

constexpr Masks makeMasks(int sign) {
    Masks m{};
    for (int half = 0; half < 2; ++half) {
        for (int column = 0; column < 4; ++column) {
            for (int row = 0; row < 4; ++row) {
                const int target = 4 * half + column;  // the column the round's shift delivers to
                const int placed = ((column + sign * row) % 4 + 4) % 4;
                const int source = ((target + sign * kRowShift[row]) % 8 + 8) % 8;
                const int position = 4 * (source % 4) + row;
                m.shuffle[half][4 * placed + row] = static_cast<std::uint8_t>(position);
                m.blend[half][position] = source / 4 != half ? 0x80 : 0;
            }
        }
    }
    return m;
}

constexpr Masks kEncryptMasks = makeMasks(+1);
constexpr Masks kDecryptMasks = makeMasks(-1);

struct Lanes {
    __m128i blend0, blend1, shuffle0, shuffle1;
};

[[VELMORA_AES_TARGET]] Lanes lanesOf(const Masks& m) {
    auto load = [](const std::array<std::uint8_t, 16>& a) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data()));
    };
    return Lanes{load(m.blend[0]), load(m.blend[1]), load(m.shuffle[0]), load(m.shuffle[1])};
}

template <bool kDecrypt, bool kLast>
[[VELMORA_AES_TARGET, gnu::always_inline]] inline void round(__m128i& a, __m128i& b, const Lanes& l,
                                                             __m128i ka, __m128i kb) {
    const __m128i ta = _mm_shuffle_epi8(_mm_blendv_epi8(a, b, l.blend0), l.shuffle0);
    const __m128i tb = _mm_shuffle_epi8(_mm_blendv_epi8(b, a, l.blend1), l.shuffle1);
    if constexpr (kDecrypt) {
        a = kLast ? _mm_aesdeclast_si128(ta, ka) : _mm_aesdec_si128(ta, ka);
        b = kLast ? _mm_aesdeclast_si128(tb, kb) : _mm_aesdec_si128(tb, kb);
    } else {
        a = kLast ? _mm_aesenclast_si128(ta, ka) : _mm_aesenc_si128(ta, ka);
        b = kLast ? _mm_aesenclast_si128(tb, kb) : _mm_aesenc_si128(tb, kb);
    }
}

// Two blocks at a time, so that four independent round instructions overlap.
template <bool kDecrypt>
[[VELMORA_AES_TARGET]] void cryptBlocks(std::uint8_t* data, std::size_t count, const std::uint32_t* key) {
    const Lanes l = lanesOf(kDecrypt ? kDecryptMasks : kEncryptMasks);
    __m128i k[30];
    for (int i = 0; i < 30; ++i) k[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key) + i);
    auto* p = reinterpret_cast<__m128i*>(data);
    for (; count >= 2; count -= 2, p += 4) {
        __m128i a0 = _mm_xor_si128(_mm_loadu_si128(p), k[0]);
        __m128i a1 = _mm_xor_si128(_mm_loadu_si128(p + 1), k[1]);
        __m128i b0 = _mm_xor_si128(_mm_loadu_si128(p + 2), k[0]);
        __m128i b1 = _mm_xor_si128(_mm_loadu_si128(p + 3), k[1]);
        for (int r = 1; r < 14; ++r) {
            round<kDecrypt, false>(a0, a1, l, k[2 * r], k[2 * r + 1]);
            round<kDecrypt, false>(b0, b1, l, k[2 * r], k[2 * r + 1]);
        }
        round<kDecrypt, true>(a0, a1, l, k[28], k[29]);
        round<kDecrypt, true>(b0, b1, l, k[28], k[29]);
        _mm_storeu_si128(p, a0);
        _mm_storeu_si128(p + 1, a1);
        _mm_storeu_si128(p + 2, b0);
        _mm_storeu_si128(p + 3, b1);
    }
    if (count == 1) {
        __m128i a0 = _mm_xor_si128(_mm_loadu_si128(p), k[0]);
        __m128i a1 = _mm_xor_si128(_mm_loadu_si128(p + 1), k[1]);
        for (int r = 1; r < 14; ++r) round<kDecrypt, false>(a0, a1, l, k[2 * r], k[2 * r + 1]);
        round<kDecrypt, true>(a0, a1, l, k[28], k[29]);
        _mm_storeu_si128(p, a0);
        _mm_storeu_si128(p + 1, a1);
    }
    for (__m128i& word : k) word = _mm_setzero_si128();  // what spilled of the key schedule
    asm volatile("" : : "r"(k) : "memory");
}

}  // namespace

bool instructionsAvailable() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("aes") && __builtin_cpu_supports("ssse3") &&
           __builtin_cpu_supports("sse4.1");
}

void encryptBlocks(std::uint8_t* data, std::size_t count, const std::uint32_t* key) noexcept {
    cryptBlocks<false>(data, count, key);
}

void decryptBlocks(std::uint8_t* data, std::size_t count, const std::uint32_t* key) noexcept {
    cryptBlocks<true>(data, count, key);
}

}  // namespace velmora::rijndael256
