// Writes a replacement file's contents on a thread of its own while the caller prepares what comes next.
// write() copies the bytes into one of two buffers and returns; a full buffer goes to the thread while the
// other fills, so memory stays at two buffers for a file of any size. A file that fits in one buffer is
// written on the caller's thread at flush(), with no thread at all. What the buffers held is wiped when done:
// it may be plaintext.
//
// Calls return false and set the last error on failure, as the file calls do; a failure on the thread is
// reported by the next call that hands a buffer over or by flush(), and stays. flush() is needed before
// the replacement's commit().
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "platform/ReplacementFile.h"
#include "platform/win32types.h"

namespace velmora {

class WriteBehind {
  public:
    static constexpr std::size_t kBufferBytes = 1 << 20;

    explicit WriteBehind(ReplacementFile& file);
    // Waits for the write under way; its failure goes unreported, as the file is abandoned then.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    bool write(std::span<const std::uint8_t> bytes);
    // Writes what is buffered and waits until every byte is in the file.
    bool flush();

  private:
    bool handOver();  // the filling buffer to the thread, once the one before it is written
    bool waitIdle(std::unique_lock<std::mutex>& lock);
    void run();

    ReplacementFile& m_file;
    std::unique_ptr<std::uint8_t[]> m_buffers;  // two of kBufferBytes
    int m_filling = 0;
    std::size_t m_filled = 0;
    std::size_t m_touched[2] = {0, 0};  // the most each buffer ever held: what the wipe must cover
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::span<const std::uint8_t> m_pending;  // under m_mutex, with the two below
    bool m_stop = false;
    DWORD m_failure = ERROR_SUCCESS;
    std::thread m_thread;
};

}  // namespace velmora
