// Enciphers a run of 32-byte blocks in pieces, on the calling thread and on helper threads, one per
// further core: the blocks are independent. The caller takes the pieces' completion in block order, so
// that whatever it does between pieces (progress, the message-queue yield) stays on its own thread and in
// order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "aes/RijndaelCipher.h"

namespace velmora {

class BlockRunner {
  public:
    static constexpr std::size_t kPieceBytes = 64 * 1024;

    // `data` is a whole number of blocks; the cipher holds a complete 256-bit-block schedule.
    BlockRunner(const RijndaelCipher& cipher, std::span<std::uint8_t> data, bool decrypt);
    // Stops handing out pieces and waits for the helpers (a piece under way is finished).
    ~BlockRunner();
    BlockRunner(const BlockRunner&) = delete;
    BlockRunner& operator=(const BlockRunner&) = delete;

    // Enciphers one more piece on the calling thread, or, with none left to take, waits for one that a
    // helper has under way. Returns how many bytes from the start are done; the whole size at the end.
    std::size_t work();

  private:
    std::size_t claim();
    void cipher(std::size_t piece) const noexcept;
    void markDone(std::size_t piece);
    void helper();

    const RijndaelCipher& m_cipher;
    std::span<std::uint8_t> m_data;
    bool m_decrypt;
    RijndaelCipher::BlockPath m_path;
    std::size_t m_pieces;
    std::mutex m_mutex;
    std::condition_variable m_pieceDone;
    std::size_t m_nextPiece = 0;  // under m_mutex
    bool m_stop = false;          // under m_mutex
    std::vector<bool> m_done;     // under m_mutex
    std::size_t m_donePrefix = 0;
    std::vector<std::thread> m_helpers;
};

}  // namespace velmora
