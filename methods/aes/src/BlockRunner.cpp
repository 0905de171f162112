#include "BlockRunner.h"

#include <algorithm>

namespace velmora {

BlockRunner::BlockRunner(const RijndaelCipher& cipher, std::span<std::uint8_t> data, bool decrypt)
    : m_cipher(cipher),
      m_data(data),
      m_decrypt(decrypt),
      m_path(RijndaelCipher::fastestPath()),
      m_pieces((data.size() + kPieceBytes - 1) / kPieceBytes),
      m_done(m_pieces, false) {
    // Small runs get no threads, and do not ask for the cores either: the count reads a system file.
    const std::size_t wanted = m_pieces / 2;
    const std::size_t helpers =
        wanted == 0
            ? 0
            : std::min<std::size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u) - 1, wanted);
    for (std::size_t i = 0; i < helpers; ++i) m_helpers.emplace_back([this] { helper(); });
}

BlockRunner::~BlockRunner() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    for (std::thread& thread : m_helpers) thread.join();
}

std::size_t BlockRunner::claim() {
    std::lock_guard lock(m_mutex);
    return m_stop ? m_pieces : m_nextPiece < m_pieces ? m_nextPiece++ : m_pieces;
}

void BlockRunner::cipher(std::size_t piece) const noexcept {
    const std::size_t start = piece * kPieceBytes;
    const std::size_t blocks = (std::min(m_data.size(), start + kPieceBytes) - start) / 32;
    std::uint8_t* const at = m_data.data() + start;
    m_decrypt ? m_cipher.decryptBlocks256(at, blocks, m_path) : m_cipher.encryptBlocks256(at, blocks, m_path);
}

void BlockRunner::markDone(std::size_t piece) {
    {
        std::lock_guard lock(m_mutex);
        m_done[piece] = true;
    }
    m_pieceDone.notify_all();
}

void BlockRunner::helper() {
    for (std::size_t piece = claim(); piece < m_pieces; piece = claim()) {
        cipher(piece);
        markDone(piece);
    }
    RijndaelCipher::scrubBlockState();
}

std::size_t BlockRunner::work() {
    if (const std::size_t piece = claim(); piece < m_pieces) {
        cipher(piece);
        markDone(piece);
    }
    std::unique_lock lock(m_mutex);
    if (m_donePrefix < m_pieces && !m_done[m_donePrefix])
        m_pieceDone.wait(lock, [&] { return m_done[m_donePrefix]; });
    while (m_donePrefix < m_pieces && m_done[m_donePrefix]) ++m_donePrefix;
    return std::min(m_data.size(), m_donePrefix * kPieceBytes);
}

}  // namespace velmora
