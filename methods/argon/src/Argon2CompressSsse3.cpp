// G on 128-bit vectors, two words at a time: the block as 64 word pairs, the permutation P on eight of
// them, a row's (contiguous) or a column's (eight pairs 128 bytes apart). Rotations by 32, 24 and 16
// bits are byte shuffles; the diagonal step pairs words across vectors with byte alignment.
#if defined(__x86_64__)
#include <immintrin.h>

#include "Argon2Block.h"

#define SSSE3 __attribute__((target("ssse3"), always_inline)) inline

namespace velmora::argonbox {
namespace {

SSSE3 __m128i blaMka(__m128i x, __m128i y) {
    const __m128i product = _mm_mul_epu32(x, y);
    return _mm_add_epi64(_mm_add_epi64(x, y), _mm_add_epi64(product, product));
}

SSSE3 __m128i rotr32(__m128i x) {
    return _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1));
}
SSSE3 __m128i rotr24(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15, 8, 9, 10));
}
SSSE3 __m128i rotr16(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_setr_epi8(2, 3, 4, 5, 6, 7, 0, 1, 10, 11, 12, 13, 14, 15, 8, 9));
}
SSSE3 __m128i rotr63(__m128i x) {
    return _mm_xor_si128(_mm_srli_epi64(x, 63), _mm_add_epi64(x, x));
}

// GB, the round function inside P, on two columns of words at once.
SSSE3 void gb(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    a = blaMka(a, b);
    d = rotr32(_mm_xor_si128(d, a));
    c = blaMka(c, d);
    b = rotr24(_mm_xor_si128(b, c));
    a = blaMka(a, b);
    d = rotr16(_mm_xor_si128(d, a));
    c = blaMka(c, d);
    b = rotr63(_mm_xor_si128(b, c));
}

// P on the pairs x[0], x[Stride], ... x[7 * Stride] (words 0 and 1, 2 and 3, ... 14 and 15).
template <int Stride>
SSSE3 void permute(__m128i* x) {
    __m128i& a0 = x[0];
    __m128i& a1 = x[Stride];
    __m128i& b0 = x[2 * Stride];
    __m128i& b1 = x[3 * Stride];
    __m128i& c0 = x[4 * Stride];
    __m128i& c1 = x[5 * Stride];
    __m128i& d0 = x[6 * Stride];
    __m128i& d1 = x[7 * Stride];
    gb(a0, b0, c0, d0);
    gb(a1, b1, c1, d1);
    // Diagonals: words 0 1 with 5 6, 10 11, 15 12; words 2 3 with 7 4, 8 9, 13 14.
    __m128i e0 = _mm_alignr_epi8(b1, b0, 8), e1 = _mm_alignr_epi8(b0, b1, 8);
    __m128i f0 = c1, f1 = c0;
    __m128i h0 = _mm_alignr_epi8(d0, d1, 8), h1 = _mm_alignr_epi8(d1, d0, 8);
    gb(a0, e0, f0, h0);
    gb(a1, e1, f1, h1);
    b0 = _mm_alignr_epi8(e0, e1, 8);
    b1 = _mm_alignr_epi8(e1, e0, 8);
    c0 = f1;
    c1 = f0;
    d0 = _mm_alignr_epi8(h1, h0, 8);
    d1 = _mm_alignr_epi8(h0, h1, 8);
}

}  // namespace

__attribute__((target("ssse3"))) void argon2CompressSsse3(const Argon2Block& prev, const Argon2Block& ref,
                                                          Argon2Block& next, bool xorInto,
                                                          const Argon2Hint* hint) {
    const auto* p = reinterpret_cast<const __m128i*>(prev.v);
    const auto* q = reinterpret_cast<const __m128i*>(ref.v);
    auto* n = reinterpret_cast<__m128i*>(next.v);
    __m128i r[64], kept[64];
    for (int i = 0; i < 64; ++i) {
        r[i] = _mm_xor_si128(_mm_load_si128(p + i), _mm_load_si128(q + i));
        kept[i] = xorInto ? _mm_xor_si128(r[i], _mm_load_si128(n + i)) : r[i];
    }
    for (int row = 0; row < 8; ++row) permute<1>(r + 8 * row);
    permute<8>(r);
    if (hint)
        hint->firstWord(hint->context,
                        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_xor_si128(kept[0], r[0]))));
    for (int column = 1; column < 8; ++column) permute<8>(r + column);
    for (int i = 0; i < 64; ++i) _mm_store_si128(n + i, _mm_xor_si128(kept[i], r[i]));
}

}  // namespace velmora::argonbox
#endif
