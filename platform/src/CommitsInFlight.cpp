#include "platform/CommitsInFlight.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#include "UnnamedFilesAhead.h"
#include "platform/ReplacementFile.h"

namespace velmora {

namespace {
std::atomic<CommitsInFlight*> g_active{nullptr};
// No Win32 error has this value: an outcome not known yet.
constexpr DWORD kPendingOutcome = 0xFFFFFFFF;
// Names that make a folder's flush worth starting before anyone waits for them: a flush per name would
// cost a disk write and a worker's turn each, and the run asks for its oldest files some dozens later.
constexpr std::size_t kNamesPerFlush = 16;
}  // namespace

CommitsInFlight::CommitsInFlight(std::size_t workers)
    : m_workers(workers == 0 ? 1 : workers), m_previous(g_active.exchange(this)) {}

CommitsInFlight::~CommitsInFlight() {
    g_active.store(m_previous);
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_queue.empty() && m_idle == m_threads.size(); });
        flushWaiting(lock);
        m_stop = true;
    }
    m_work.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

int CommitsInFlight::takeUnnamed(const std::string& folder, unsigned mode) {
    std::unique_lock lock(m_mutex);
    if (!m_unnamed) m_unnamed = std::make_unique<UnnamedFilesAhead>();
    UnnamedFilesAhead& unnamed = *m_unnamed;
    lock.unlock();
    return unnamed.take(folder, mode);
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

DWORD CommitsInFlight::finish(Ticket first, Ticket end, bool hurry) {
    std::unique_lock lock(m_mutex);
    if (end > m_outcomes.size()) end = m_outcomes.size();
    // While one waits in a hurry, every name given is flushed at once.
    if (hurry) ++m_hurrying;
    DWORD outcome = ERROR_SUCCESS;
    for (Ticket ticket = first; ticket < end; ++ticket) {
        while (m_outcomes[ticket] == kPendingOutcome) {
            const auto unflushed = m_unflushed.find(ticket);
            if (!hurry || unflushed == m_unflushed.end()) {
                m_done.wait(lock);
                continue;
            }
            // Named and waiting for its folder's flush: wanted now, so it begins now.
            const std::string folder = unflushed->second;
            const std::vector<Named>& waiting = m_folders[folder].waiting;
            const auto name = std::find_if(waiting.begin(), waiting.end(),
                                           [&](const Named& named) { return named.ticket == ticket; });
            flushFolder(lock, folder, name->round);
        }
        if (outcome == ERROR_SUCCESS) outcome = m_outcomes[ticket];
    }
    if (hurry) --m_hurrying;
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
    const std::string folder = placed ? pending.file->folder() : std::string();
    pending.file.reset();
    std::unique_lock lock(m_mutex);
    if (placed) return named(lock, pending.ticket, folder);
    m_outcomes[pending.ticket] = outcome;
    m_done.notify_all();
}

void CommitsInFlight::named(std::unique_lock<std::mutex>& lock, Ticket ticket, const std::string& folder) {
    FolderFlushes& flushes = m_folders[folder];
    flushes.waiting.push_back({ticket, flushes.begun + 1});  // one running now began before this name
    m_unflushed.emplace(ticket, folder);
    // Names given while a flush ran wait for the next one, so this goes round only while names come.
    while (!flushes.running && !flushes.waiting.empty() &&
           (flushes.waiting.size() >= kNamesPerFlush || m_hurrying > 0))
        flushFolder(lock, folder, flushes.begun + 1);
}

void CommitsInFlight::flushFolder(std::unique_lock<std::mutex>& lock, std::string folder,
                                  std::uint64_t round) {
    FolderFlushes& flushes = m_folders[folder];
    while (flushes.done < round) {
        if (flushes.running) {
            m_flushed.wait(lock);
            continue;
        }
        flushes.running = true;
        const std::uint64_t begun = ++flushes.begun;
        lock.unlock();
        ReplacementFile::flushFolder(folder);
        lock.lock();
        flushes.done = begun;
        flushes.running = false;
        std::erase_if(flushes.waiting, [&](const Named& name) {
            if (name.round > begun) return false;
            m_outcomes[name.ticket] = ERROR_SUCCESS;
            m_unflushed.erase(name.ticket);
            return true;
        });
        m_flushed.notify_all();
        m_done.notify_all();
    }
}

void CommitsInFlight::flushWaiting(std::unique_lock<std::mutex>& lock) {
    for (auto& [folder, flushes] : m_folders)
        if (!flushes.waiting.empty()) flushFolder(lock, folder, flushes.begun + 1);
}

}  // namespace velmora
