// What the common dialogs share: the thread's extended error, the owner widget, and the hook call made
// when a dialog first shows.
#pragma once

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32types.h"

namespace velmora {

void setDialogError(DWORD error);

class GuiApplication;

// The GUI application a dialog runs in: the process's own, or, in a process without one (a console
// program calling a library) where a display is available, one made for the dialog's lifetime, as the
// original shows its dialogs from any process.
class DialogApplication {
  public:
    DialogApplication();
    ~DialogApplication();
    DialogApplication(const DialogApplication&) = delete;
    DialogApplication& operator=(const DialogApplication&) = delete;

    bool available() const noexcept { return m_available; }

  private:
    std::unique_ptr<GuiApplication> m_own;
    bool m_available = false;
};

// The live window of a handle, or nullptr for 0 and stale handles.
QWidget* dialogOwner(HWND hwndOwner);

// Runs `onShown` once, when the dialog is first shown: its size is known then, and a move it makes
// takes effect before the window appears on the screen.
class FirstShow : public QObject {
  public:
    FirstShow(QWidget& dialog, std::function<void()> onShown);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> m_dialog;
    std::function<void()> m_onShown;
};

// Gives the blank cells of a file dialog's listing (a folder's size) a name a screen reader can read
// ("Size: none"), since Qt names a cell after its text alone. The cells look as before.
void nameBlankCells(QFileDialog& dialog);

// Text of at most `size` bytes from a buffer that may lack its NUL.
std::string boundedText(const char* buffer, std::size_t size);

// Copies text and its NUL when both fit in `size` bytes; otherwise as much as fits and a NUL (nothing for
// a size of 0). Returns whether it all fitted.
bool copyTruncated(const std::string& text, char* buffer, std::size_t size);

}  // namespace velmora
