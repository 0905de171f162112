// At most one progress report per percent: a report at the block at offset o, then none until o passes
// the next whole percent of the total. Double precision and halves to even, as the reports have always
// been computed, so that their values do not shift.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace velmora {

class ProgressThreshold {
  public:
    explicit ProgressThreshold(std::size_t total) : m_total(static_cast<double>(total)) {}

    bool due(std::size_t offset) const noexcept { return static_cast<double>(offset) >= m_next; }
    std::int32_t advance(std::size_t offset) noexcept {
        const auto percent =
            static_cast<std::int32_t>(std::floor(static_cast<double>(offset) / m_total * 100.0));
        m_next = std::nearbyint((percent + 1) / 100.0 * m_total + 1);
        return percent;
    }

  private:
    double m_total;
    double m_next = 0;
};

}  // namespace velmora
