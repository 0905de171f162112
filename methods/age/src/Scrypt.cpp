#include "Scrypt.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "argon/HugePageMemory.h"

namespace velmora::ageseal {
namespace {

// A 64-byte Salsa20 block as sixteen little-endian words.
struct Block {
    std::uint32_t word[16];
};

constexpr std::size_t kBlockBytes = sizeof(Block);
static_assert(kBlockBytes == 64);

[[gnu::always_inline]] inline std::uint32_t rotated(std::uint32_t x, int bits) {
    return (x << bits) | (x >> (32 - bits));
}

// Plain 32-bit code: the four quarter-rounds of a round are independent, which keeps several of the
// processor's integer units busy at once; measured faster here than one vector chain of four lanes.
[[gnu::always_inline]] inline void salsa20_8(Block& block) {
    std::uint32_t x[16];
    std::copy(std::begin(block.word), std::end(block.word), x);
    // One quarter-round: b, c, d and a of a column or row in turn.
    const auto quarter = [&x](int a, int b, int c, int d) {
        x[b] ^= rotated(x[a] + x[d], 7);
        x[c] ^= rotated(x[b] + x[a], 9);
        x[d] ^= rotated(x[c] + x[b], 13);
        x[a] ^= rotated(x[d] + x[c], 18);
    };
    for (int doubleRound = 0; doubleRound < 4; ++doubleRound) {
        quarter(0, 4, 8, 12);
        quarter(5, 9, 13, 1);
        quarter(10, 14, 2, 6);
        quarter(15, 3, 7, 11);
        quarter(0, 1, 2, 3);
        quarter(5, 6, 7, 4);
        quarter(10, 11, 8, 9);
        quarter(15, 12, 13, 14);
    }
    for (int i = 0; i < 16; ++i) block.word[i] += x[i];
}

[[gnu::always_inline]] inline void mix(Block& into, const Block& from) {
    for (int i = 0; i < 16; ++i) into.word[i] ^= from.word[i];
}

// out = BlockMix(in), or BlockMix(in XOR with) when With: the 2r blocks of in each mixed into the running
// block and hashed, the even results into out's first half, the odd ones into its second.
template <bool With>
[[gnu::always_inline]] inline void blockMix(const Block* in, const Block* with, Block* out, std::size_t r) {
    const std::size_t last = 2 * r - 1;
    Block x = in[last];
    if constexpr (With) mix(x, with[last]);
    for (std::size_t i = 0; i < 2 * r; ++i) {
        mix(x, in[i]);
        if constexpr (With) mix(x, with[i]);
        salsa20_8(x);
        out[i / 2 + (i % 2) * r] = x;
    }
}

// The index Integerify gives: the last block's first 64 bits, little-endian, modulo n.
std::uint64_t integerify(const Block* x, std::size_t r, std::uint64_t n) {
    const Block& last = x[2 * r - 1];
    return (last.word[0] | std::uint64_t{last.word[1]} << 32) & (n - 1);
}

// Asks for all of V_j at once, the moment j is known: BlockMix needs its last block first and then the
// rest in order, and waiting for one line after another would cost a memory latency per block.
void fetchAhead(const Block* blocks, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) __builtin_prefetch(&blocks[i]);
}

// ROMix on the 2r blocks of x: v holds n * 2r blocks, y 2r more. The first loop writes each H(V_i)
// straight into V_{i+1}, the second hashes X XOR V_j without a copy; n being even, the result ends in x.
void romix(Block* x, Block* y, Block* v, std::uint64_t n, std::size_t r) {
    const std::size_t blocks = 2 * r;
    std::copy(x, x + blocks, v);
    for (std::uint64_t i = 0; i + 1 < n; ++i)
        blockMix<false>(v + i * blocks, nullptr, v + (i + 1) * blocks, r);
    blockMix<false>(v + (n - 1) * blocks, nullptr, x, r);
    const Block* with = v + integerify(x, r, n) * blocks;
    for (std::uint64_t i = 0; i < n; ++i) {
        blockMix<true>(x, with, y, r);
        std::swap(x, y);
        with = v + integerify(x, r, n) * blocks;
        fetchAhead(with, blocks);
    }
}

// PBKDF2-HMAC-SHA-256 with one iteration, as scrypt uses it at both ends.
void pbkdf2(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
            std::span<std::uint8_t> out) {
    // libsodium wants readable pointers even for no bytes.
    static const std::uint8_t none = 0;
    crypto_auth_hmacsha256_state keyed, block;
    crypto_auth_hmacsha256_init(&keyed, password.empty() ? &none : password.data(), password.size());
    crypto_auth_hmacsha256_update(&keyed, salt.empty() ? &none : salt.data(), salt.size());
    std::array<std::uint8_t, crypto_auth_hmacsha256_BYTES> digest;
    for (std::uint32_t index = 1, at = 0; at < out.size(); ++index, at += digest.size()) {
        const std::uint8_t counter[] = {
            static_cast<std::uint8_t>(index >> 24), static_cast<std::uint8_t>(index >> 16),
            static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)};
        block = keyed;
        crypto_auth_hmacsha256_update(&block, counter, sizeof counter);
        crypto_auth_hmacsha256_final(&block, digest.data());
        std::copy_n(digest.begin(), std::min(digest.size(), out.size() - at), out.begin() + at);
    }
    sodium_memzero(&keyed, sizeof keyed);
    sodium_memzero(&block, sizeof block);
    sodium_memzero(digest.data(), digest.size());
}

// Bytes to blocks of little-endian words, and back.
void toBlocks(std::span<const std::uint8_t> bytes, Block* blocks) {
    for (std::size_t w = 0; w < bytes.size() / 4; ++w) {
        const std::uint8_t* b = bytes.data() + 4 * w;
        blocks[w / 16].word[w % 16] = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24;
    }
}

void fromBlocks(const Block* blocks, std::span<std::uint8_t> bytes) {
    for (std::size_t w = 0; w < bytes.size() / 4; ++w)
        for (int k = 0; k < 4; ++k)
            bytes[4 * w + k] = static_cast<std::uint8_t>(blocks[w / 16].word[w % 16] >> (8 * k));
}

}  // namespace

bool scrypt(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, ScryptCost cost,
            std::span<std::uint8_t> out) {
    const std::size_t r = cost.r;
    std::size_t tableBlocks = 0, tableBytes = 0;
    if (cost.n < 2 || (cost.n & (cost.n - 1)) != 0 || r == 0 || cost.p == 0 ||
        std::uint64_t{r} * cost.p >= std::uint64_t{1} << 30 ||
        __builtin_mul_overflow(cost.n + 2, 2 * r, &tableBlocks) ||
        __builtin_mul_overflow(tableBlocks, kBlockBytes, &tableBytes))
        return false;
    // ROMix's table and its two working sets: a quarter of a GiB read at random at the format's cost.
    const argonbox::HugePageMemory table(tableBytes);
    if (!table.data()) return false;
    Block* v = static_cast<Block*>(table.data());
    Block* x = v + cost.n * 2 * r;
    Block* y = x + 2 * r;

    const std::size_t lane = 128 * r;
    std::vector<std::uint8_t> b(lane * cost.p);
    pbkdf2(password, salt, b);
    for (std::uint32_t i = 0; i < cost.p; ++i) {
        const std::span<std::uint8_t> bi = std::span(b).subspan(i * lane, lane);
        toBlocks(bi, x);
        romix(x, y, v, cost.n, r);
        fromBlocks(x, bi);
    }
    pbkdf2(password, b, out);
    sodium_memzero(b.data(), b.size());
    return true;
}

}  // namespace velmora::ageseal
