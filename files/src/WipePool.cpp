#include "files/WipePool.h"

#include <algorithm>
#include <chrono>

namespace velmora {

namespace {
// How long a waiting caller goes between yields: its window stays answering.
constexpr auto kYieldEvery = std::chrono::milliseconds(20);
}  // namespace

WipePool::WipePool(unsigned workers) : m_workers(std::max(1u, workers)) {}

WipePool::~WipePool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

void WipePool::start(const std::string& path, Wipe wipe) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({path, std::move(wipe), {}, false, false});
        if (m_threads.size() < m_workers) m_threads.emplace_back([this] { work(); });
    }
    m_queued.notify_one();
}

bool WipePool::holds(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_jobs.begin(), m_jobs.end(), [&](const Job& job) { return job.path == path; });
}

WipePool::Outcome WipePool::finish(const std::string& path, const std::function<void()>& wait) {
    std::unique_lock lock(m_mutex);
    const auto job = std::find_if(m_jobs.begin(), m_jobs.end(),
                                  [&](const Job& candidate) { return candidate.path == path; });
    if (job == m_jobs.end()) return {};
    while (!m_finished.wait_for(lock, kYieldEvery, [&] { return job->done; })) {
        lock.unlock();
        if (wait) wait();
        lock.lock();
    }
    Outcome outcome = std::move(job->outcome);
    m_jobs.erase(job);
    return outcome;
}

void WipePool::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto next =
            std::find_if(m_jobs.begin(), m_jobs.end(), [](const Job& job) { return !job.running; });
        if (m_stopping) return;
        if (next == m_jobs.end()) {
            m_queued.wait(lock);
            continue;
        }
        Job& job = *next;
        job.running = true;
        lock.unlock();
        // Only this worker touches the outcome until the job is marked done.
        Outcome& outcome = job.outcome;
        const FileWiper::Callbacks record{
            [&outcome](std::int16_t percent) { outcome.progress.push_back(percent); },
            {},
            [&outcome] { outcome.openRefused = true; }};
        try {
            job.wipe(record);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        lock.lock();
        job.done = true;
        m_finished.notify_all();
    }
}

}  // namespace velmora
