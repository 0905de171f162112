#include "aes/RijndaelCipher.h"

#include <string.h>  // explicit_bzero

#include <algorithm>
#include <bit>
#include <limits>

#include "Rijndael256Instructions.h"
#include "runtime/Error.h"

namespace velmora {
namespace {

// Array access with the bounds check of the fixed-size state: outside it is error 9.
template <class Array>
auto& at(Array& array, std::int64_t index) {
    if (index < 0 || index >= static_cast<std::int64_t>(array.size())) raise(err::SubscriptOutOfRange);
    return array[static_cast<std::size_t>(index)];
}

// Whole-number results kept in 32-bit signed variables overflow as error 6.
std::int32_t checkedLong(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        raise(err::Overflow);
    return static_cast<std::int32_t>(value);
}

constexpr std::uint8_t xtime(std::uint8_t a) noexcept {
    return static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
}

constexpr std::uint32_t pack(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) noexcept {
    return b0 | static_cast<std::uint32_t>(b1) << 8 | static_cast<std::uint32_t>(b2) << 16 |
           static_cast<std::uint32_t>(b3) << 24;
}

constexpr std::uint8_t byteOf(std::uint32_t word, int r) noexcept {
    return static_cast<std::uint8_t>(word >> (8 * r));
}

inline std::uint32_t load(const std::uint8_t* p) noexcept {
    return pack(p[0], p[1], p[2], p[3]);
}

inline void store(std::uint8_t* p, std::uint32_t word) noexcept {
    for (int r = 0; r < 4; ++r) p[r] = byteOf(word, r);
}

// Clears a block's working words when the block is done, however it ends.
template <std::size_t N>
struct WorkingWords {
    std::array<std::uint32_t, N> x{};
    std::array<std::uint32_t, N> y{};
    ~WorkingWords() {
        explicit_bzero(x.data(), sizeof x);
        explicit_bzero(y.data(), sizeof y);
    }
};

}  // namespace

// What distinguishes decryption from encryption: key, round table, shifts and final substitution.
struct RijndaelCipher::Direction {
    const std::array<std::uint32_t, kExpandedKeyWords>& key;
    const std::array<std::uint32_t, 256>& table;
    const std::array<std::uint8_t, 3 * kMaxBlockWords>& shift;
    const std::array<std::uint8_t, 256>& sBox;
};

RijndaelCipher::RijndaelCipher() noexcept : m_invMixCoef{0x0B, 0x0D, 0x09, 0x0E} {}

RijndaelCipher::~RijndaelCipher() {
    wipe();
}

void RijndaelCipher::wipe() noexcept {
    explicit_bzero(m_encKey.data(), sizeof m_encKey);
    explicit_bzero(m_decKey.data(), sizeof m_decKey);
    m_schedule256 = false;
    m_keyed = false;
}

std::uint8_t RijndaelCipher::mul(std::uint8_t a, std::uint8_t b) const noexcept {
    if (a == 0 || b == 0) return 0;
    return m_powTable[(m_logTable[a] + m_logTable[b]) % 255];
}

void RijndaelCipher::gentables() noexcept {
    if (m_tablesBuilt) return;  // they depend on nothing
    m_powTable[0] = 1;
    m_powTable[1] = 3;
    m_logTable[0] = 0;
    m_logTable[1] = 0;
    m_logTable[3] = 1;
    for (int i = 2; i < 256; ++i) {
        m_powTable[i] = m_powTable[i - 1] ^ xtime(m_powTable[i - 1]);
        m_logTable[m_powTable[i]] = static_cast<std::uint8_t>(i);
    }

    m_sBox[0] = 0x63;
    m_invSBox[0x63] = 0;
    for (int i = 1; i < 256; ++i) {
        std::uint8_t y = m_powTable[255 - m_logTable[i]];  // the multiplicative inverse of i
        std::uint8_t x = y;
        for (int n = 0; n < 4; ++n) {
            x = std::rotl(x, 1);
            y ^= x;
        }
        y ^= 0x63;
        m_sBox[i] = y;
        m_invSBox[y] = static_cast<std::uint8_t>(i);
    }

    m_roundConst[0] = 1;
    for (int i = 1; i < kRoundConstants; ++i)
        m_roundConst[i] = xtime(static_cast<std::uint8_t>(m_roundConst[i - 1]));

    for (int i = 0; i < 256; ++i) {
        const std::uint8_t s = m_sBox[i];
        m_encTable[i] = pack(xtime(s), s, s, s ^ xtime(s));
        const std::uint8_t t = m_invSBox[i];
        m_decTable[i] = pack(mul(m_invMixCoef[3], t), mul(m_invMixCoef[2], t), mul(m_invMixCoef[1], t),
                             mul(m_invMixCoef[0], t));
    }
    m_tablesBuilt = true;
}

std::uint32_t RijndaelCipher::subWord(std::uint32_t w) const noexcept {
    return pack(m_sBox[byteOf(w, 0)], m_sBox[byteOf(w, 1)], m_sBox[byteOf(w, 2)], m_sBox[byteOf(w, 3)]);
}

std::uint32_t RijndaelCipher::invMixColumn(std::uint32_t w) const noexcept {
    std::uint32_t c = pack(m_invMixCoef[0], m_invMixCoef[1], m_invMixCoef[2], m_invMixCoef[3]);
    std::uint8_t result[4];
    for (int row = 3; row >= 0; --row) {
        std::uint8_t product = 0;
        for (int r = 0; r < 4; ++r) product ^= mul(byteOf(c, r), byteOf(w, r));
        result[row] = product;
        c = std::rotl(c, 24);
    }
    return pack(result[0], result[1], result[2], result[3]);
}

void RijndaelCipher::gkey(std::int32_t nb, std::int32_t nk, std::span<const std::uint8_t> key) {
    m_schedule256 = false;
    m_keyed = false;
    m_Nb = nb;
    m_Nk = nk;
    m_Nr = checkedLong(6 + static_cast<std::int64_t>(std::max(nb, nk)));

    const std::int64_t c1 = 1;
    const std::int64_t c2 = m_Nb < 8 ? 2 : 3;
    const std::int64_t c3 = m_Nb < 8 ? 3 : 4;
    for (std::int64_t j = 0; j < m_Nb; ++j) {
        at(m_encShift, 3 * j) = static_cast<std::uint8_t>((j + c1) % m_Nb);
        at(m_encShift, 3 * j + 1) = static_cast<std::uint8_t>((j + c2) % m_Nb);
        at(m_encShift, 3 * j + 2) = static_cast<std::uint8_t>((j + c3) % m_Nb);
        at(m_decShift, 3 * j) = static_cast<std::uint8_t>((m_Nb + j - c1) % m_Nb);
        at(m_decShift, 3 * j + 1) = static_cast<std::uint8_t>((m_Nb + j - c2) % m_Nb);
        at(m_decShift, 3 * j + 2) = static_cast<std::uint8_t>((m_Nb + j - c3) % m_Nb);
    }

    const std::int32_t n = checkedLong(static_cast<std::int64_t>(m_Nb) * checkedLong(m_Nr + std::int64_t{1}));
    for (std::int64_t i = 0; i < m_Nk; ++i)
        at(m_encKey, i) = pack(at(key, 4 * i), at(key, 4 * i + 1), at(key, 4 * i + 2), at(key, 4 * i + 3));
    expandEncryptionKey(n);
    deriveDecryptionKey(n);
    m_schedule256 = m_Nb == 8 && m_Nr == 14;
    m_keyed = true;
}

bool RijndaelCipher::keyedWith(std::int32_t nb, std::int32_t nk,
                               std::span<const std::uint8_t> key) const noexcept {
    if (!m_tablesBuilt || !m_keyed || nb != m_Nb || nk != m_Nk || nk < 0 || nk > kMaxKeyWords ||
        key.size() < 4 * static_cast<std::size_t>(nk))
        return false;
    // The schedule begins with the key's own words; every word is compared, whatever differs.
    std::uint32_t differs = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(nk); ++i)
        differs |= m_encKey[i] ^ pack(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
    return differs == 0;
}

void RijndaelCipher::expandEncryptionKey(std::int32_t n) {
    auto chain = [this](std::int64_t at_) {  // one word from the word Nk back and the word before
        at(m_encKey, at_) = at(m_encKey, at_ - m_Nk) ^ at(m_encKey, at_ - 1);
    };
    std::int64_t k = 0;
    // A key length of 0 or less fails on its first word (index -1 or below), so this always ends.
    for (std::int64_t j = m_Nk; j < n; j += m_Nk, ++k) {
        const std::uint32_t previous = at(m_encKey, j - m_Nk);
        const std::uint32_t rotated = std::rotl(at(m_encKey, j - 1), 24);
        at(m_encKey, j) = previous ^ subWord(rotated) ^ at(m_roundConst, k);
        if (m_Nk <= 6) {
            for (std::int64_t i = 1; i < m_Nk && i + j < n; ++i) chain(i + j);
        } else {
            for (std::int64_t i = 1; i <= 3 && i + j < n; ++i) chain(i + j);
            if (j + 4 < n) at(m_encKey, j + 4) = at(m_encKey, j + 4 - m_Nk) ^ subWord(at(m_encKey, j + 3));
            for (std::int64_t i = 5; i < m_Nk && i + j < n; ++i) chain(i + j);
        }
    }
}

void RijndaelCipher::deriveDecryptionKey(std::int32_t n) {
    const std::int64_t nb = m_Nb;
    for (std::int64_t j = 0; j < nb; ++j) at(m_decKey, n - nb + j) = at(m_encKey, j);
    if (nb > 0) {  // a step of 0 or less would never end; there are no columns to move then anyway
        for (std::int64_t i = nb; i < n - nb; i += nb) {
            const std::int64_t m = n - nb - i;
            for (std::int64_t j = 0; j < nb; ++j) at(m_decKey, m + j) = invMixColumn(at(m_encKey, i + j));
        }
    }
    for (std::int64_t j = n - nb; j <= n - 1; ++j) at(m_decKey, j - n + nb) = at(m_encKey, j);
}

void RijndaelCipher::encrypt(std::span<std::uint8_t> buff) {
    cryptBlock(buff, Direction{m_encKey, m_encTable, m_encShift, m_sBox});
}

void RijndaelCipher::decrypt(std::span<std::uint8_t> buff) {
    cryptBlock(buff, Direction{m_decKey, m_decTable, m_decShift, m_invSBox});
}

// The general round structure for any Nb and Nr, every index checked against the state's capacity.
void RijndaelCipher::cryptBlock(std::span<std::uint8_t> buff, const Direction& d) {
    WorkingWords<kMaxBlockWords> w;
    for (std::int64_t i = 0; i < m_Nb; ++i) {
        const std::uint32_t word =
            pack(at(buff, 4 * i), at(buff, 4 * i + 1), at(buff, 4 * i + 2), at(buff, 4 * i + 3));
        at(w.x, i) = word ^ at(d.key, i);
    }
    std::int64_t k = m_Nb;
    auto column = [&](std::int64_t j, auto&& lookup) {
        const std::int64_t s = 3 * j;
        return at(d.key, k) ^ lookup(byteOf(at(w.x, j), 0)) ^
               std::rotl(lookup(byteOf(at(w.x, at(d.shift, s)), 1)), 8) ^
               std::rotl(lookup(byteOf(at(w.x, at(d.shift, s + 1)), 2)), 16) ^
               std::rotl(lookup(byteOf(at(w.x, at(d.shift, s + 2)), 3)), 24);
    };
    auto roundTable = [&](std::uint8_t b) -> std::uint32_t { return d.table[b]; };
    auto substitution = [&](std::uint8_t b) -> std::uint32_t { return d.sBox[b]; };
    for (std::int64_t round = 1; round < m_Nr; ++round) {
        for (std::int64_t j = 0; j < m_Nb; ++j, ++k) at(w.y, j) = column(j, roundTable);
        std::swap(w.x, w.y);
    }
    for (std::int64_t j = 0; j < m_Nb; ++j, ++k) at(w.y, j) = column(j, substitution);
    for (std::int64_t i = 0; i < m_Nb; ++i) store(&buff[static_cast<std::size_t>(4 * i)], w.y[i]);
}

namespace {

// Nb = 8, Nr = 14 with the offsets known at compile time: rows 1 to 3 shift by 1, 3 and 4 columns.
// Rounds alternate between two sets of words instead of exchanging them, so that they stay in registers.
template <int kSign>
inline void round256(const std::uint32_t* in, std::uint32_t* out, const std::uint32_t* key,
                     const std::uint32_t* table) noexcept {
#pragma GCC unroll 8
    for (int j = 0; j < 8; ++j) {
        out[j] = key[j] ^ table[byteOf(in[j], 0)] ^ std::rotl(table[byteOf(in[(j + kSign * 1) & 7], 1)], 8) ^
                 std::rotl(table[byteOf(in[(j + kSign * 3) & 7], 2)], 16) ^
                 std::rotl(table[byteOf(in[(j + kSign * 4) & 7], 3)], 24);
    }
}

template <int kSign>
void cryptBlock256(std::uint8_t* block, const std::uint32_t* key, const std::uint32_t* table,
                   const std::uint8_t* sBox) noexcept {
    // Plain locals, so that the words stay in registers; what spills to the stack is cleared by
    // scrubBlockState() when the caller's run of blocks ends.
    struct {
        std::array<std::uint32_t, 8> x, y;
    } w;
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) w.x[i] = load(block + 4 * i) ^ key[i];
    key += 8;
#pragma GCC unroll 6
    for (int pair = 0; pair < 6; ++pair, key += 16) {  // rounds 1 to 12
        round256<kSign>(w.x.data(), w.y.data(), key, table);
        round256<kSign>(w.y.data(), w.x.data(), key + 8, table);
    }
    round256<kSign>(w.x.data(), w.y.data(), key, table);  // round 13
    key += 8;
#pragma GCC unroll 8
    for (int j = 0; j < 8; ++j) {  // round 14
        w.x[j] = key[j] ^ sBox[byteOf(w.y[j], 0)] ^
                 static_cast<std::uint32_t>(sBox[byteOf(w.y[(j + kSign * 1) & 7], 1)]) << 8 ^
                 static_cast<std::uint32_t>(sBox[byteOf(w.y[(j + kSign * 3) & 7], 2)]) << 16 ^
                 static_cast<std::uint32_t>(sBox[byteOf(w.y[(j + kSign * 4) & 7], 3)]) << 24;
    }
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) store(block + 4 * i, w.x[i]);
}

}  // namespace

void RijndaelCipher::scrubBlockState() noexcept {
    // Deeper than the block functions' frames, which the caller entered from the same depth.
    std::uint8_t area[2048];
    explicit_bzero(area, sizeof area);
    asm volatile("" : : "r"(area) : "memory");
}

void RijndaelCipher::encryptBlock256(std::uint8_t* block) const noexcept {
    cryptBlock256<+1>(block, m_encKey.data(), m_encTable.data(), m_sBox.data());
}

void RijndaelCipher::decryptBlock256(std::uint8_t* block) const noexcept {
    cryptBlock256<-1>(block, m_decKey.data(), m_decTable.data(), m_invSBox.data());
}

RijndaelCipher::BlockPath RijndaelCipher::fastestPath() noexcept {
    static const BlockPath path =
        rijndael256::instructionsAvailable() ? BlockPath::Instructions : BlockPath::Table;
    return path;
}

void RijndaelCipher::encryptBlocks256(std::uint8_t* data, std::size_t count, BlockPath path) const noexcept {
    if (path == BlockPath::Instructions) return rijndael256::encryptBlocks(data, count, m_encKey.data());
    for (; count > 0; --count, data += 32) encryptBlock256(data);
}

void RijndaelCipher::decryptBlocks256(std::uint8_t* data, std::size_t count, BlockPath path) const noexcept {
    if (path == BlockPath::Instructions) return rijndael256::decryptBlocks(data, count, m_decKey.data());
    for (; count > 0; --count, data += 32) decryptBlock256(data);
}

}  // namespace velmora
