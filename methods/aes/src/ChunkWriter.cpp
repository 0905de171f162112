#include "ChunkWriter.h"

namespace velmora {

ChunkWriter::ChunkWriter(Destination& destination, bool onThread) : m_destination(destination) {
    if (onThread) m_thread = std::thread([this] { run(); });
}

ChunkWriter::~ChunkWriter() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ChunkWriter::waitIdle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return !m_busy; });
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void ChunkWriter::write(std::span<const std::uint8_t> bytes) {
    if (!m_thread.joinable()) return m_destination.write(bytes);
    {
        std::unique_lock lock(m_mutex);
        waitIdle(lock);
        m_pending = bytes;
        m_busy = true;
    }
    m_changed.notify_all();
}

void ChunkWriter::finish() {
    if (!m_thread.joinable()) return;
    std::unique_lock lock(m_mutex);
    waitIdle(lock);
}

void ChunkWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_busy || m_stop; });
        if (!m_busy) return;  // stopped with nothing handed over
        const std::span<const std::uint8_t> bytes = m_pending;
        lock.unlock();
        std::exception_ptr failure;
        try {
            m_destination.write(bytes);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_failure = failure;
        m_busy = false;
        m_changed.notify_all();
    }
}

}  // namespace velmora
