#include "CommonDialogSupport.h"

#include <QApplication>
#include <QEvent>
#include <QIdentityProxyModel>
#include <cstdlib>
#include <cstring>

#include "UiState.h"
#include "ui/GuiApplication.h"
#include "ui/WindowHandles.h"
#include "ui/commdlg.h"

namespace velmora {
namespace {

thread_local DWORD t_dialogError = 0;

class NamedCells : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::AccessibleTextRole) {
            const QString text = QIdentityProxyModel::data(index, Qt::DisplayRole).toString();
            if (text.isEmpty())
                return headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString() +
                       QStringLiteral(": none");
        }
        return QIdentityProxyModel::data(index, role);
    }
};

}  // namespace

void setDialogError(DWORD error) {
    t_dialogError = error;
}

DialogApplication::DialogApplication() {
    if (QCoreApplication::instance()) {
        m_available = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
        return;
    }
    const bool display =
        std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (!display) return;
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    m_own = std::make_unique<GuiApplication>(argc, argv);
    m_available = true;
}

DialogApplication::~DialogApplication() = default;

QWidget* dialogOwner(HWND hwndOwner) {
    QWidget* owner = hwndOwner ? widgetOf(hwndOwner) : nullptr;
    return owner ? owner->window() : nullptr;
}

FirstShow::FirstShow(QWidget& dialog, std::function<void()> onShown)
    : QObject(&dialog), m_dialog(&dialog), m_onShown(std::move(onShown)) {
    dialog.installEventFilter(this);
}

bool FirstShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dialog && event->type() == QEvent::Show && m_onShown) {
        auto onShown = std::move(m_onShown);
        m_onShown = nullptr;
        onShown();
    }
    return false;
}

void nameBlankCells(QFileDialog& dialog) {
    dialog.setProxyModel(new NamedCells(&dialog));
}

std::string boundedText(const char* buffer, std::size_t size) {
    if (!buffer) return {};
    return std::string(buffer, strnlen(buffer, size));
}

bool copyTruncated(const std::string& text, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return false;
    const std::size_t count = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return count == text.size();
}

}  // namespace velmora

DWORD CommDlgExtendedError() {
    return velmora::t_dialogError;
}
