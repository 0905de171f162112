// Skinkit push button: a caption, an availability, a click notification and a request to redraw.
#pragma once

#include <QPushButton>

namespace velmora {

class SkinButton : public QPushButton {
    Q_OBJECT

  public:
    explicit SkinButton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    bool Enabled() const { return isEnabled(); }
    void setEnabled(bool enabled) { QPushButton::setEnabled(enabled); }
    void Refresh() { repaint(); }

  Q_SIGNALS:
    // A click by the user or by click(); never while the button is unavailable.
    void Click();
};

}  // namespace velmora
