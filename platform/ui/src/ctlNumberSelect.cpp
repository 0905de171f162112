#include "ui/ctlNumberSelect.h"

namespace velmora {

ctlNumberSelect::ctlNumberSelect(QWidget* parent) : QSpinBox(parent) {
    connect(this, &QSpinBox::valueChanged, this, &ctlNumberSelect::Change);
}

}  // namespace velmora
