// Drives dialogs from in-process tests, modal ones included: a test arranges what to do with a window
// when it appears, then opens it; the action runs from the dialog's own event loop.
//
//   DialogDriver driver;
//   driver.whenShown("frmEncrypt", [&](QWidget& dialog) {
//       DialogDriver::typeInto(dialog, "txtPassword", "secret");
//       DialogDriver::clickButton(dialog, "cmdOK");
//   });
//   form.exec();
//
// Windows are found by caption or object name; controls by object name or, for buttons, caption
// (an '&' marking an access key is ignored).
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace velmora {

class DialogDriver : public QObject {
    Q_OBJECT

  public:
    using Action = std::function<void(QWidget& window)>;

    DialogDriver();
    ~DialogDriver() override;

    // Runs action once, the next time a top-level window of that caption or object name is shown (or at
    // once, from the event loop, if one is visible now). Actions run in the order they were arranged.
    void whenShown(const QString& captionOrName, Action action);
    // Whether every arranged action has run.
    bool done() const noexcept { return m_pending.empty(); }

    // A visible top-level window of that caption or object name, or nullptr.
    static QWidget* findWindow(const QString& captionOrName);
    // Types text into a line edit, text box or spin box (replacing what it held), key by key.
    static bool typeInto(QWidget& window, const QString& name, const QString& text);
    // Selects the entry of that text in a combo box or list.
    static bool pickEntry(QWidget& window, const QString& name, const QString& entry);
    // Clicks an available button; false when it is missing or unavailable.
    static bool clickButton(QWidget& window, const QString& nameOrCaption);
    // Closes the window as the user would (a dialog is rejected).
    static void close(QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Pending {
        QString captionOrName;
        Action action;
    };
    void runMatching(QWidget& window);

    std::vector<Pending> m_pending;
};

}  // namespace velmora
