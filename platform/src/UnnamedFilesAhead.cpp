#include "UnnamedFilesAhead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

namespace velmora {

namespace {
// Enough to cover the asking thread between two turns of the making one, which is woken (a system call
// and a switch each) only once half of them are taken, and then makes them all again.
constexpr std::size_t kSpares = 6;

dev_t deviceOf(const std::string& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 ? info.st_dev : static_cast<dev_t>(-1);
}
}  // namespace

UnnamedFilesAhead::~UnnamedFilesAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wanted.notify_all();
    if (m_thread.joinable()) m_thread.join();
    for (const int fd : m_spares) ::close(fd);
    for (const int fd : m_dropped) ::close(fd);
}

int UnnamedFilesAhead::take(const std::string& folder, unsigned mode) {
    // The device asked now: a spare made in a folder since replaced by one on another device could not
    // be linked there.
    const dev_t device = deviceOf(folder);
    std::unique_lock lock(m_mutex);
    int fd = -1;
    bool wake = true;
    if (folder == m_folder && mode == m_mode && device == m_device) {
        if (!m_spares.empty()) {
            fd = m_spares.front();
            m_spares.pop_front();
        }
        wake = !m_failed && m_spares.size() <= kSpares / 2;
    } else {
        dropSpares(lock);
        m_folder = folder;
        m_mode = mode;
        m_device = device;
        m_failed = false;
    }
    if (!m_thread.joinable() && !m_noThread) {
        try {
            m_thread = std::thread([this] { make(); });
        } catch (const std::system_error&) {
            m_noThread = true;
        }
    }
    lock.unlock();
    if (wake) m_wanted.notify_one();
    return fd;
}

void UnnamedFilesAhead::dropSpares(std::unique_lock<std::mutex>&) {
    m_dropped.insert(m_dropped.end(), m_spares.begin(), m_spares.end());
    m_spares.clear();
}

void UnnamedFilesAhead::make() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wanted.wait(lock, [this] {
            return m_stop || !m_dropped.empty() || (!m_failed && m_spares.size() < kSpares);
        });
        if (m_stop) return;
        if (!m_dropped.empty()) {
            const int old = m_dropped.front();
            m_dropped.pop_front();
            lock.unlock();
            ::close(old);
            lock.lock();
            continue;
        }
        const std::string folder = m_folder;
        const unsigned mode = m_mode;
        const dev_t device = m_device;
        lock.unlock();
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        struct stat made {};
        const bool fits = fd >= 0 && ::fstat(fd, &made) == 0 && made.st_dev == device;
        lock.lock();
        if (fits && folder == m_folder && mode == m_mode && device == m_device) {
            m_spares.push_back(fd);
            continue;
        }
        if (fd >= 0) m_dropped.push_back(fd);
        if (!fits && folder == m_folder && mode == m_mode) m_failed = true;
    }
}

}  // namespace velmora
