// The Rijndael block cipher in its table-driven form on 32-bit words: one combined round table per
// direction, all tables computed from field arithmetic, a separate decryption key schedule, and any
// block and key length up to 8 words (Nb = Nk = 8 is the plug-in's 256/256; 4/4 and 4/8 are AES).
//
// Order of use: gentables(), gkey(), then encrypt()/decrypt(). Capacity faults (a block or key longer
// than 8 words, a key or block buffer that is too short) raise error 9 as the fixed-size state dictates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API RijndaelCipher {
  public:
    static constexpr int kMaxBlockWords = 8;
    static constexpr int kMaxKeyWords = 8;
    static constexpr int kExpandedKeyWords = 120;
    static constexpr int kRoundConstants = 30;

    RijndaelCipher() noexcept;
    ~RijndaelCipher();
    RijndaelCipher(const RijndaelCipher&) = delete;
    RijndaelCipher& operator=(const RijndaelCipher&) = delete;

    // Fills the field, S-box, round-constant and round tables; calling it again keeps the same ones.
    void gentables() noexcept;
    // Sets Nb, Nk, Nr, the row shifts and both expanded keys from the first 4·nk bytes of key. Nb, Nk
    // and Nr are replaced before any capacity fault is found (error 9; 6 where Nr or the schedule
    // length overflows 32 bits).
    void gkey(std::int32_t nb, std::int32_t nk, std::span<const std::uint8_t> key);
    // Whether the tables are built and gkey(nb, nk, key) is the schedule held now (a run's files share
    // one password: its schedule need not be built again for each).
    bool keyedWith(std::int32_t nb, std::int32_t nk, std::span<const std::uint8_t> key) const noexcept;
    // One block in the first 4·Nb bytes of buff, in place; buff is untouched when it is too short.
    void encrypt(std::span<std::uint8_t> buff);
    void decrypt(std::span<std::uint8_t> buff);

    // The bulk path of the plug-in: whether the schedule is a complete 256-bit-block one, and whole
    // 32-byte blocks enciphered in place. Precondition of the block calls: hasBlockSchedule256().
    bool hasBlockSchedule256() const noexcept { return m_schedule256; }
    void encryptBlock256(std::uint8_t* block) const noexcept;
    void decryptBlock256(std::uint8_t* block) const noexcept;
    // Runs of whole blocks, on the round table or on the processor's AES instructions (same bytes).
    enum class BlockPath { Table, Instructions };
    // The instructions where this processor has them, else the table.
    static BlockPath fastestPath() noexcept;
    void encryptBlocks256(std::uint8_t* data, std::size_t count, BlockPath path) const noexcept;
    void decryptBlocks256(std::uint8_t* data, std::size_t count, BlockPath path) const noexcept;
    // Clears what the block calls left of their working words on the stack; called once a run of
    // blocks ends, from the same stack depth as the block calls.
    [[gnu::noinline]] static void scrubBlockState() noexcept;

    // Overwrites the key schedule (key material) with zeros.
    void wipe() noexcept;

    // State, for inspection.
    const std::array<std::uint8_t, 256>& sBox() const noexcept { return m_sBox; }
    const std::array<std::uint8_t, 256>& invSBox() const noexcept { return m_invSBox; }
    const std::array<std::uint32_t, kRoundConstants>& roundConst() const noexcept { return m_roundConst; }
    const std::array<std::uint8_t, 3 * kMaxBlockWords>& encShift() const noexcept { return m_encShift; }
    const std::array<std::uint8_t, 3 * kMaxBlockWords>& decShift() const noexcept { return m_decShift; }
    const std::array<std::uint32_t, kExpandedKeyWords>& encKey() const noexcept { return m_encKey; }
    const std::array<std::uint32_t, kExpandedKeyWords>& decKey() const noexcept { return m_decKey; }
    std::int32_t Nb() const noexcept { return m_Nb; }
    std::int32_t Nk() const noexcept { return m_Nk; }
    std::int32_t Nr() const noexcept { return m_Nr; }

  private:
    struct Direction;
    void cryptBlock(std::span<std::uint8_t> buff, const Direction& direction);
    std::uint8_t mul(std::uint8_t a, std::uint8_t b) const noexcept;
    std::uint32_t invMixColumn(std::uint32_t w) const noexcept;
    std::uint32_t subWord(std::uint32_t w) const noexcept;
    void expandEncryptionKey(std::int32_t n);
    void deriveDecryptionKey(std::int32_t n);

    std::array<std::uint8_t, 256> m_powTable{};
    std::array<std::uint8_t, 256> m_logTable{};
    std::array<std::uint8_t, 256> m_sBox{};
    std::array<std::uint8_t, 256> m_invSBox{};
    std::array<std::uint32_t, 256> m_encTable{};
    std::array<std::uint32_t, 256> m_decTable{};
    std::array<std::uint32_t, kRoundConstants> m_roundConst{};
    std::array<std::uint8_t, 4> m_invMixCoef{};
    std::int32_t m_Nb = 0;
    std::int32_t m_Nk = 0;
    std::int32_t m_Nr = 0;
    std::array<std::uint8_t, 3 * kMaxBlockWords> m_encShift{};
    std::array<std::uint8_t, 3 * kMaxBlockWords> m_decShift{};
    std::array<std::uint32_t, kExpandedKeyWords> m_encKey{};
    std::array<std::uint32_t, kExpandedKeyWords> m_decKey{};
    bool m_schedule256 = false;
    bool m_tablesBuilt = false;
    bool m_keyed = false;  // a whole schedule from gkey, not wiped since
};

}  // namespace velmora
