// G in plain 64-bit code: the BLAKE2b round with its additions made multiplicative (BlaMka), over the
// block's eight rows of sixteen words and then its eight columns of word pairs.
#include "Argon2Block.h"

namespace velmora::argonbox {
namespace {

[[gnu::always_inline]] inline std::uint64_t blaMka(std::uint64_t x, std::uint64_t y) {
    return x + y + 2 * (x & 0xffffffff) * (y & 0xffffffff);
}

[[gnu::always_inline]] inline std::uint64_t rotr(std::uint64_t x, int bits) {
    return (x >> bits) | (x << (64 - bits));
}

// GB, the round function inside P.
[[gnu::always_inline]] inline void gb(std::uint64_t& a, std::uint64_t& b, std::uint64_t& c,
                                      std::uint64_t& d) {
    a = blaMka(a, b);
    d = rotr(d ^ a, 32);
    c = blaMka(c, d);
    b = rotr(b ^ c, 24);
    a = blaMka(a, b);
    d = rotr(d ^ a, 16);
    c = blaMka(c, d);
    b = rotr(b ^ c, 63);
}

// The permutation P on sixteen words taken in pairs Stride words apart: a row is Stride 2 (contiguous),
// a column Stride 16.
template <int Stride>
[[gnu::always_inline]] inline void permute(std::uint64_t* w) {
    const auto at = [w](int k) -> std::uint64_t& { return w[k / 2 * Stride + k % 2]; };
    gb(at(0), at(4), at(8), at(12));
    gb(at(1), at(5), at(9), at(13));
    gb(at(2), at(6), at(10), at(14));
    gb(at(3), at(7), at(11), at(15));
    gb(at(0), at(5), at(10), at(15));
    gb(at(1), at(6), at(11), at(12));
    gb(at(2), at(7), at(8), at(13));
    gb(at(3), at(4), at(9), at(14));
}

}  // namespace

void argon2CompressPortable(const Argon2Block& prev, const Argon2Block& ref, Argon2Block& next, bool xorInto,
                            const Argon2Hint* hint) {
    Argon2Block r, kept;
    for (int i = 0; i < 128; ++i) r.v[i] = prev.v[i] ^ ref.v[i];
    for (int i = 0; i < 128; ++i) kept.v[i] = xorInto ? r.v[i] ^ next.v[i] : r.v[i];
    for (int row = 0; row < 8; ++row) permute<2>(r.v + 16 * row);
    permute<16>(r.v);
    if (hint) hint->firstWord(hint->context, kept.v[0] ^ r.v[0]);
    for (int column = 1; column < 8; ++column) permute<16>(r.v + 2 * column);
    for (int i = 0; i < 128; ++i) next.v[i] = kept.v[i] ^ r.v[i];
}

}  // namespace velmora::argonbox
