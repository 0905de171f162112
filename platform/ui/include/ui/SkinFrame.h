// Skinkit frame: a captioned box that holds other controls.
#pragma once

#include <QGroupBox>

namespace velmora {

class SkinFrame : public QGroupBox {
    Q_OBJECT

  public:
    explicit SkinFrame(QWidget* parent = nullptr) : QGroupBox(parent) {}

    QString Caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }
};

}  // namespace velmora
