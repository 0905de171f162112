#include "FilesInFlight.h"

#include <system_error>
#include <utility>

namespace velmora {

namespace {
// Workers to wait for the disk: enough for a journal commit to carry many files.
constexpr std::size_t kCommitWorkers = 16;
}  // namespace

FilesInFlight::FilesInFlight(std::size_t depth)
    : m_commits(kCommitWorkers), m_depth(depth == 0 ? 1 : depth) {}

FilesInFlight::~FilesInFlight() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (!m_thread.joinable()) return;
    // The files' thread may wait for a commit whose folder nobody flushes yet: wanted now, it is.
    m_commits.finish(0, m_commits.handedOver());
    m_thread.join();
}

void FilesInFlight::add(Ticket since, Finish finish) {
    add(since, nullptr, [finish = std::move(finish)](DWORD outcome, int) { finish(outcome); });
}

void FilesInFlight::add(Ticket since, Behind behind, FinishAfter finish) {
    auto file = std::make_shared<File>();
    file->first = since;
    file->end = m_commits.handedOver();
    file->behind = std::move(behind);
    file->finish = std::move(finish);
    m_files.push_back(file);
    if (file->behind && !m_thread.joinable() && !m_noThread) {
        try {
            m_thread = std::thread([this] { runAhead(); });
        } catch (const std::system_error&) {
            m_noThread = true;
        }
    }
    if (file->behind && !m_noThread) {
        file->ahead = true;
        {
            std::lock_guard lock(m_mutex);
            m_ahead.push_back(file);
        }
        m_changed.notify_one();
    }
    while (m_files.size() > m_depth) finishOldest();
}

void FilesInFlight::settle() {
    if (m_finishing) return;
    while (!m_files.empty()) finishOldest();
}

void FilesInFlight::complete(File& file, bool hurry) {
    file.outcome = m_commits.finish(file.first, file.end, hurry);
    runBehind(file);
}

void FilesInFlight::runBehind(File& file) {
    if (!file.behind) return;
    try {
        file.behindResult = file.behind(file.outcome);
    } catch (...) {
        file.failure = std::current_exception();
    }
}

void FilesInFlight::runAhead() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_ahead.empty(); });
        if (m_stop) return;
        const std::shared_ptr<File> file = m_ahead.front();
        lock.unlock();
        file->outcome = m_commits.finish(file->first, file->end, false);
        lock.lock();
        if (m_stop) return;  // not settled: it keeps its old name beside its result
        lock.unlock();
        runBehind(*file);
        lock.lock();
        m_ahead.pop_front();
        file->done = true;
        m_changed.notify_all();
    }
}

void FilesInFlight::finishOldest() {
    const std::shared_ptr<File> file = std::move(m_files.front());
    m_files.pop_front();
    if (file->ahead) {
        std::unique_lock lock(m_mutex);
        if (!file->done) {
            // Its commits are wanted now: waiting for them in a hurry has its folder flushed at once.
            lock.unlock();
            m_commits.finish(file->first, file->end);
            lock.lock();
            m_changed.wait(lock, [&] { return file->done; });
        }
    } else {
        complete(*file, true);
    }
    m_finishing = true;
    try {
        if (file->failure) std::rethrow_exception(file->failure);
        file->finish(file->outcome, file->behindResult);
    } catch (...) {
        m_finishing = false;
        throw;
    }
    m_finishing = false;
}

}  // namespace velmora
