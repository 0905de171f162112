#include "ui/SkinProgressBar.h"

#include <algorithm>

namespace velmora {

SkinProgressBar::SkinProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    show();
}

void SkinProgressBar::setMin(std::int32_t value) {
    m_min = value;
    show();
}

void SkinProgressBar::setMax(std::int32_t value) {
    m_max = value;
    show();
}

void SkinProgressBar::setValue(std::int32_t value) {
    m_value = value;
    show();
}

void SkinProgressBar::show() {
    if (m_max <= m_min) {
        QProgressBar::setRange(0, 1);
        QProgressBar::setValue(0);
        return;
    }
    QProgressBar::setRange(m_min, m_max);
    QProgressBar::setValue(std::clamp(m_value, m_min, m_max));
}

}  // namespace velmora
