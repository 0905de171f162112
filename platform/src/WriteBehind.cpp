#include "platform/WriteBehind.h"

#include <string.h>  // explicit_bzero

#include <algorithm>

namespace velmora {

WriteBehind::WriteBehind(ReplacementFile& file)
    : m_file(file), m_buffers(std::make_unique_for_overwrite<std::uint8_t[]>(2 * kBufferBytes)) {}

WriteBehind::~WriteBehind() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    // Only what was ever filled: a small file's result does not cost a wipe of both whole buffers.
    for (int buffer = 0; buffer < 2; ++buffer)
        explicit_bzero(m_buffers.get() + buffer * kBufferBytes, m_touched[buffer]);
}

bool WriteBehind::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (m_filled == kBufferBytes && !handOver()) return false;
        const std::size_t count = std::min(bytes.size(), kBufferBytes - m_filled);
        std::copy_n(bytes.begin(), count, m_buffers.get() + m_filling * kBufferBytes + m_filled);
        m_filled += count;
        m_touched[m_filling] = std::max(m_touched[m_filling], m_filled);
        bytes = bytes.subspan(count);
    }
    return true;
}

bool WriteBehind::flush() {
    const std::span<const std::uint8_t> rest(m_buffers.get() + m_filling * kBufferBytes, m_filled);
    if (!m_thread.joinable()) {
        m_filled = 0;
        return m_file.write(rest);
    }
    if (!handOver()) return false;
    std::unique_lock lock(m_mutex);
    return waitIdle(lock);
}

bool WriteBehind::waitIdle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return m_pending.empty(); });
    if (m_failure == ERROR_SUCCESS) return true;
    SetLastError(m_failure);
    return false;
}

bool WriteBehind::handOver() {
    if (!m_thread.joinable()) m_thread = std::thread([this] { run(); });
    {
        std::unique_lock lock(m_mutex);
        if (!waitIdle(lock)) return false;
        m_pending = {m_buffers.get() + m_filling * kBufferBytes, m_filled};
    }
    m_changed.notify_all();
    m_filling = 1 - m_filling;
    m_filled = 0;
    return true;
}

void WriteBehind::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_pending.empty() || m_stop; });
        if (m_pending.empty()) return;
        const std::span<const std::uint8_t> bytes = m_pending;
        lock.unlock();
        const DWORD failure = m_file.write(bytes) ? ERROR_SUCCESS : GetLastError();
        lock.lock();
        m_failure = failure;
        m_pending = {};
        m_changed.notify_all();
    }
}

}  // namespace velmora
