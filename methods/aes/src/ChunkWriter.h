// Writes a file operation's chunks to its destination on a thread of its own, so that the next chunk is
// read and enciphered while the last one is written. One write is under way at a time: a caller that
// alternates between two buffers never fills the one being written.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <utility>

#include "Destination.h"

namespace velmora {

class ChunkWriter {
  public:
    // Without a thread (a run of one chunk has nothing to overlap) every write happens in write().
    ChunkWriter(Destination& destination, bool onThread);
    // Waits for the write under way; its failure goes unreported, as the destination is abandoned then.
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Waits for the write before, raising its error, then hands these bytes over.
    void write(std::span<const std::uint8_t> bytes);
    // Waits for the last write, raising its error.
    void finish();

  private:
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void run();

    Destination& m_destination;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::span<const std::uint8_t> m_pending;  // under m_mutex, with the flags
    bool m_busy = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

}  // namespace velmora
