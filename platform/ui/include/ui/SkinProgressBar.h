// Skinkit progress bar with 32-bit Min, Max and Value. The three are stored as written, without any
// range check (callers set them in any order); the bar shows Value clamped to the range, and an empty
// or reversed range as an empty bar.
#pragma once

#include <QProgressBar>
#include <cstdint>

namespace velmora {

class SkinProgressBar : public QProgressBar {
    Q_OBJECT

  public:
    explicit SkinProgressBar(QWidget* parent = nullptr);

    std::int32_t Min() const noexcept { return m_min; }
    void setMin(std::int32_t value);
    std::int32_t Max() const noexcept { return m_max; }
    void setMax(std::int32_t value);
    std::int32_t Value() const noexcept { return m_value; }
    void setValue(std::int32_t value);

  private:
    void show();

    std::int32_t m_min = 0;
    std::int32_t m_max = 100;
    std::int32_t m_value = 0;
};

}  // namespace velmora
