#include "platform/CommitsInFlight.h"

#include <atomic>
#include <system_error>

#include "platform/ReplacementFile.h"

namespace velmora {

namespace {
std::atomic<CommitsInFlight*> g_active{nullptr};
// No Win32 error has this value: an outcome not known yet.
constexpr DWORD kPendingOutcome = 0xFFFFFFFF;
}  // namespace

CommitsInFlight::CommitsInFlight(std::size_t workers)
    : m_workers(workers == 0 ? 1 : workers), m_previous(g_active.exchange(this)) {}

CommitsInFlight::~CommitsInFlight() {
    g_active.store(m_previous);
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_queue.empty() && m_idle == m_threads.size(); });
        m_stop = true;
    }
    m_work.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

CommitsInFlight* CommitsInFlight::active() {
    return g_active.load();
}

CommitsInFlight::Ticket CommitsInFlight::handedOver() const {
    std::lock_guard lock(m_mutex);
    return m_outcomes.size();
}

void CommitsInFlight::hand(std::unique_ptr<ReplacementFile> file) {
    {
        std::unique_lock lock(m_mutex);
        const Ticket ticket = m_outcomes.size();
        m_outcomes.push_back(kPendingOutcome);
        // A thread more while none waits for work, up to the limit.
        if (m_idle == 0 && m_threads.size() < m_workers) {
            try {
                m_threads.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                // No thread to be had: a worker there is takes it in turn, or else this caller does.
                if (m_threads.empty()) {
                    lock.unlock();
                    commit({ticket, std::move(file)});
                    return;
                }
            }
        }
        m_queue.push_back({ticket, std::move(file)});
    }
    m_work.notify_one();
}

DWORD CommitsInFlight::finish(Ticket first, Ticket end) {
    std::unique_lock lock(m_mutex);
    if (end > m_outcomes.size()) end = m_outcomes.size();
    DWORD outcome = ERROR_SUCCESS;
    for (Ticket ticket = first; ticket < end; ++ticket) {
        m_done.wait(lock, [&] { return m_outcomes[ticket] != kPendingOutcome; });
        if (outcome == ERROR_SUCCESS) outcome = m_outcomes[ticket];
    }
    return outcome;
}

void CommitsInFlight::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_done.notify_all();  // the destructor waits for every thread to be idle
        m_work.wait(lock, [this] { return !m_queue.empty() || m_stop; });
        --m_idle;
        if (m_queue.empty()) return;
        Pending pending = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        commit(std::move(pending));
        lock.lock();
    }
}

void CommitsInFlight::commit(Pending pending) {
    const bool placed = pending.file->placeNow();
    const DWORD outcome = placed ? ERROR_SUCCESS : GetLastError();
    if (placed) flushFolder(pending.file->folder());
    pending.file.reset();
    std::lock_guard lock(m_mutex);
    m_outcomes[pending.ticket] = outcome;
    m_done.notify_all();
}

void CommitsInFlight::flushFolder(const std::string& folder) {
    std::unique_lock lock(m_mutex);
    FolderFlushes& flushes = m_folders[folder];
    const std::uint64_t needed = flushes.begun + 1;  // one running now may have begun before our name
    while (flushes.done < needed) {
        if (flushes.running) {
            m_flushed.wait(lock);
            continue;
        }
        flushes.running = true;
        const std::uint64_t round = ++flushes.begun;
        lock.unlock();
        ReplacementFile::flushFolder(folder);
        lock.lock();
        flushes.done = round;
        flushes.running = false;
        m_flushed.notify_all();
    }
}

}  // namespace velmora
