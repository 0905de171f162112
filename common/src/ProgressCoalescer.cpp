#include "common/ProgressCoalescer.h"

namespace velmora {

void ProgressCoalescer::offer(std::int32_t percent) {
    if (percent == m_shown) {
        m_heldBack.reset();  // the latest value is on show already
        return;
    }
    const Clock::time_point now = m_now();
    if (!m_shown || percent == 100 || now - m_passedAt >= kInterval)
        pass(percent, now);
    else
        m_heldBack = percent;
}

void ProgressCoalescer::flush() {
    if (m_heldBack) pass(*m_heldBack, m_now());
}

void ProgressCoalescer::pass(std::int32_t percent, Clock::time_point at) {
    m_heldBack.reset();
    m_shown = percent;
    m_passedAt = at;
    if (m_pass) m_pass(percent);
}

}  // namespace velmora
