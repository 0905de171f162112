#include "ui/SkinButton.h"

namespace velmora {

SkinButton::SkinButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &SkinButton::Click);
}

}  // namespace velmora
