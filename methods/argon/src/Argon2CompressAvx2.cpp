// G on 256-bit vectors, four words at a time: the block as 32 vectors. A row is four vectors (the
// diagonal step rotates three of them across their lanes); two neighbouring columns are eight vectors a
// row apart, each holding one word pair of either column, so both run at once and the diagonal step
// only blends and swaps words within 128-bit halves.
#if defined(__x86_64__)
#include <immintrin.h>

#include "Argon2Block.h"

#define AVX2 __attribute__((target("avx2"), always_inline)) inline

namespace velmora::argonbox {
namespace {

AVX2 __m256i blaMka(__m256i x, __m256i y) {
    const __m256i product = _mm256_mul_epu32(x, y);
    return _mm256_add_epi64(_mm256_add_epi64(x, y), _mm256_add_epi64(product, product));
}

AVX2 __m256i rotr32(__m256i x) {
    return _mm256_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1));
}
AVX2 __m256i rotr24(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_setr_epi8(3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10, 3, 4,
                                                   5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10));
}
AVX2 __m256i rotr16(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_setr_epi8(2, 3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9, 2, 3,
                                                   4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9));
}
AVX2 __m256i rotr63(__m256i x) {
    return _mm256_xor_si256(_mm256_srli_epi64(x, 63), _mm256_add_epi64(x, x));
}

// GB, the round function inside P, on four columns of words at once.
AVX2 void gb(__m256i& a, __m256i& b, __m256i& c, __m256i& d) {
    a = blaMka(a, b);
    d = rotr32(_mm256_xor_si256(d, a));
    c = blaMka(c, d);
    b = rotr24(_mm256_xor_si256(b, c));
    a = blaMka(a, b);
    d = rotr16(_mm256_xor_si256(d, a));
    c = blaMka(c, d);
    b = rotr63(_mm256_xor_si256(b, c));
}

// P on one row, words 0-3, 4-7, 8-11 and 12-15.
AVX2 void permuteRow(__m256i* y) {
    gb(y[0], y[1], y[2], y[3]);
    y[1] = _mm256_permute4x64_epi64(y[1], _MM_SHUFFLE(0, 3, 2, 1));
    y[2] = _mm256_permute4x64_epi64(y[2], _MM_SHUFFLE(1, 0, 3, 2));
    y[3] = _mm256_permute4x64_epi64(y[3], _MM_SHUFFLE(2, 1, 0, 3));
    gb(y[0], y[1], y[2], y[3]);
    y[1] = _mm256_permute4x64_epi64(y[1], _MM_SHUFFLE(2, 1, 0, 3));
    y[2] = _mm256_permute4x64_epi64(y[2], _MM_SHUFFLE(1, 0, 3, 2));
    y[3] = _mm256_permute4x64_epi64(y[3], _MM_SHUFFLE(0, 3, 2, 1));
}

// The two words of each 128-bit half exchanged.
AVX2 __m256i swapped(__m256i x) {
    return _mm256_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2));
}

// Blend masks: in each 128-bit half, y's first word and x's second, or x's first and y's second.
constexpr int kFirstOfY = 0x33, kSecondOfY = 0xCC;

// P on two neighbouring columns: y[4 k] holds pair k of the first column in its low half and pair k of
// the second in its high half.
AVX2 void permuteColumns(__m256i* y) {
    __m256i &a0 = y[0], &a1 = y[4], &b0 = y[8], &b1 = y[12], &c0 = y[16], &c1 = y[20], &d0 = y[24],
            &d1 = y[28];
    gb(a0, b0, c0, d0);
    gb(a1, b1, c1, d1);
    // Diagonals: words 0 1 with 5 6, 10 11, 15 12; words 2 3 with 7 4, 8 9, 13 14.
    __m256i e0 = swapped(_mm256_blend_epi32(b0, b1, kFirstOfY)),
            e1 = swapped(_mm256_blend_epi32(b0, b1, kSecondOfY));
    __m256i f0 = c1, f1 = c0;
    __m256i h0 = swapped(_mm256_blend_epi32(d0, d1, kSecondOfY)),
            h1 = swapped(_mm256_blend_epi32(d0, d1, kFirstOfY));
    gb(a0, e0, f0, h0);
    gb(a1, e1, f1, h1);
    b0 = swapped(_mm256_blend_epi32(e0, e1, kSecondOfY));
    b1 = swapped(_mm256_blend_epi32(e0, e1, kFirstOfY));
    c0 = f1;
    c1 = f0;
    d0 = swapped(_mm256_blend_epi32(h0, h1, kFirstOfY));
    d1 = swapped(_mm256_blend_epi32(h0, h1, kSecondOfY));
}

}  // namespace

__attribute__((target("avx2"))) void argon2CompressAvx2(const Argon2Block& prev, const Argon2Block& ref,
                                                        Argon2Block& next, bool xorInto,
                                                        const Argon2Hint* hint) {
    const auto* p = reinterpret_cast<const __m256i*>(prev.v);
    const auto* q = reinterpret_cast<const __m256i*>(ref.v);
    auto* n = reinterpret_cast<__m256i*>(next.v);
    __m256i r[32], kept[32];
    for (int i = 0; i < 32; ++i) {
        r[i] = _mm256_xor_si256(_mm256_load_si256(p + i), _mm256_load_si256(q + i));
        kept[i] = xorInto ? _mm256_xor_si256(r[i], _mm256_load_si256(n + i)) : r[i];
    }
    for (int row = 0; row < 8; ++row) permuteRow(r + 4 * row);
    permuteColumns(r);
    if (hint)
        hint->firstWord(hint->context,
                        static_cast<std::uint64_t>(_mm256_extract_epi64(_mm256_xor_si256(kept[0], r[0]), 0)));
    for (int pair = 1; pair < 4; ++pair) permuteColumns(r + pair);
    for (int i = 0; i < 32; ++i) _mm256_store_si256(n + i, _mm256_xor_si256(kept[i], r[i]));
}

}  // namespace velmora::argonbox
#endif
