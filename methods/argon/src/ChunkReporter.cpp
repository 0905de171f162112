#include "argon/ChunkReporter.h"

#include <algorithm>

namespace velmora::argonbox {

void ChunkReporter::progressed(std::uint64_t done, std::uint64_t total) {
    // A source that grew while it was read counts as done at its end.
    const auto percent =
        static_cast<std::int32_t>(total == 0 ? 0 : std::min<std::uint64_t>(done, total) * 100 / total);
    if (percent > m_last) {
        m_last = percent;
        m_reports.reportProgress(percent, m_handler);
    }
    if (!m_system) m_system = makeObject<SystemObject>();
    m_system->Do_Events();
}

}  // namespace velmora::argonbox
