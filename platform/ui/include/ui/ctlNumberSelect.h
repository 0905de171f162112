// Tallyspin number selector: a numeric field with up and down arrows. Change is raised whenever the
// value changes, by typing, the arrows or a write of Value.
#pragma once

#include <QSpinBox>
#include <cstdint>

namespace velmora {

class ctlNumberSelect : public QSpinBox {
    Q_OBJECT

  public:
    explicit ctlNumberSelect(QWidget* parent = nullptr);

    std::int32_t Value() const { return value(); }
    // Clamped to Min..Max, as the arrows are.
    void setValue(std::int32_t value) { QSpinBox::setValue(value); }
    std::int32_t Min() const { return minimum(); }
    void setMin(std::int32_t value) { setMinimum(value); }
    std::int32_t Max() const { return maximum(); }
    void setMax(std::int32_t value) { setMaximum(value); }

  Q_SIGNALS:
    void Change();
};

}  // namespace velmora
