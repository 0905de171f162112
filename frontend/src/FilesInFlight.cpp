#include "FilesInFlight.h"

#include <utility>

namespace velmora {

namespace {
// Workers to wait for the disk: enough for a journal commit to carry many files.
constexpr std::size_t kCommitWorkers = 16;
}  // namespace

FilesInFlight::FilesInFlight(std::size_t depth)
    : m_commits(kCommitWorkers), m_depth(depth == 0 ? 1 : depth) {}

void FilesInFlight::add(Ticket since, Finish finish) {
    m_files.push_back({since, m_commits.handedOver(), std::move(finish)});
    while (m_files.size() > m_depth) finishOldest();
}

void FilesInFlight::settle() {
    if (m_finishing) return;
    while (!m_files.empty()) finishOldest();
}

void FilesInFlight::finishOldest() {
    File file = std::move(m_files.front());
    m_files.pop_front();
    const DWORD outcome = m_commits.finish(file.first, file.end);
    m_finishing = true;
    try {
        file.finish(outcome);
    } catch (...) {
        m_finishing = false;
        throw;
    }
    m_finishing = false;
}

}  // namespace velmora
