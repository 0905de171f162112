#include "ui/DialogDriver.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

namespace velmora {
namespace {

QString withoutAccessKeys(QString text) {
    return text.remove(QLatin1Char('&'));
}

bool names(const QWidget& window, const QString& captionOrName) {
    return window.windowTitle() == captionOrName || window.objectName() == captionOrName;
}

void sendKey(QWidget& target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

}  // namespace

DialogDriver::DialogDriver() {
    qApp->installEventFilter(this);
}

DialogDriver::~DialogDriver() {
    if (qApp) qApp->removeEventFilter(this);
}

void DialogDriver::whenShown(const QString& captionOrName, Action action) {
    m_pending.push_back({captionOrName, std::move(action)});
    if (QWidget* window = findWindow(captionOrName)) {
        QPointer<QWidget> guard(window);
        QTimer::singleShot(0, this, [this, guard] {
            if (guard) runMatching(*guard);
        });
    }
}

bool DialogDriver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) {
            // Act once the window's own loop runs (a modal dialog's exec has started).
            QPointer<QWidget> guard(widget);
            QTimer::singleShot(0, this, [this, guard] {
                if (guard) runMatching(*guard);
            });
        }
    }
    return false;
}

void DialogDriver::runMatching(QWidget& window) {
    const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                 [&](const Pending& p) { return names(window, p.captionOrName); });
    if (it == m_pending.end() || !window.isVisible()) return;
    Action action = std::move(it->action);
    m_pending.erase(it);
    action(window);
}

QWidget* DialogDriver::findWindow(const QString& captionOrName) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && names(*window, captionOrName)) return window;
    return nullptr;
}

bool DialogDriver::typeInto(QWidget& window, const QString& name, const QString& text) {
    QWidget* field = window.findChild<QWidget*>(name);
    if (!field || !field->isEnabled()) return false;
    QWidget* target = field;
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->clear();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) {
        target = spin->findChild<QLineEdit*>();
        if (!target) return false;
        static_cast<QLineEdit*>(target)->clear();
    } else if (auto* rich = qobject_cast<QTextEdit*>(field)) {
        rich->clear();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        plain->clear();
    } else {
        return false;
    }
    target->setFocus();
    for (const QChar c : text) sendKey(*target, c == QLatin1Char('\n') ? Qt::Key_Return : 0, QString(c));
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->interpretText();
    return true;
}

bool DialogDriver::pickEntry(QWidget& window, const QString& name, const QString& entry) {
    QWidget* list = window.findChild<QWidget*>(name);
    if (!list || !list->isEnabled()) return false;
    if (auto* combo = qobject_cast<QComboBox*>(list)) {
        const int index = combo->findText(entry);
        if (index < 0) return false;
        combo->setCurrentIndex(index);
        return true;
    }
    if (auto* items = qobject_cast<QListWidget*>(list)) {
        const auto found = items->findItems(entry, Qt::MatchExactly);
        if (found.isEmpty()) return false;
        items->setCurrentItem(found.front());
        return true;
    }
    return false;
}

bool DialogDriver::clickButton(QWidget& window, const QString& nameOrCaption) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const bool match = button->objectName() == nameOrCaption ||
                           withoutAccessKeys(button->text()) == withoutAccessKeys(nameOrCaption);
        if (!match) continue;
        if (!button->isEnabled() || !button->isVisible()) return false;
        button->click();
        return true;
    }
    return false;
}

void DialogDriver::close(QWidget& window) {
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        dialog->reject();
    else
        window.close();
}

}  // namespace velmora
