// frmProgressBar: the progress window. ProgressObject loads it with BeginControl and drives it through
// Task, value, AddValue, CanCancel and AlwaysOnTop. Closing it (Unload, AddValue reaching the maximum, or
// the title bar) unloads it for good: the widget deletes itself, and a later Initialize loads a new one.
//
// Task and value are read back at once but shown with the window's next frame, at most one a display
// frame: a client writing them per small file would otherwise have the window paint (and wait for the
// display) once a write. The frame always shows the latest values.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "progress/EnhancedForm.h"
#include "ui/AnimationControl.h"
#include "ui/SkinButton.h"
#include "ui/SkinProgressBar.h"

namespace velmora {

class frmProgressBar : public QWidget {
    Q_OBJECT

  public:
    // What keeps the server process up while a window of its own is loaded (the server's main sets it).
    using KeepAlive = std::function<std::shared_ptr<void>()>;
    static void setKeepAlive(KeepAlive make);

    frmProgressBar();
    ~frmProgressBar() override;

    // Soon after the process's first progress object, while the client still waits for its user: what
    // the first window would otherwise pay for when it is shown (the fonts found and loaded, a label's
    // text laid out), so that showing it keeps the client waiting less. Once per process, and only in
    // a widget application.
    static void warmUpSoon();
    static bool warmedUp();

    // Builds and shows the window; success tells whether it came up (errors end it silently).
    void BeginControl(const std::u16string& caption, const std::u16string& status, std::int32_t min,
                      std::int32_t max, std::int32_t anim, bool& success);

    bool CanCancel() const;
    void setCanCancel(bool canCancel);
    void setAlwaysOnTop(bool onTop);
    std::u16string Task() const;
    void setTask(const std::u16string& strTask);
    void AddValue(std::int32_t lgnAddAmount);
    std::int32_t value() const;
    void setValue(std::int32_t lngValue);
    // The bar's range; what the bar is still to show is shown first, as it was written before.
    void setMin(std::int32_t min);
    void setMax(std::int32_t max);
    // Whether written values wait for the next frame (tests and the server's own checks).
    bool framePending() const noexcept { return m_frame.isActive(); }

    // Closes the window; it goes away with the next pass of the event loop.
    void Unload();
    bool loaded() const noexcept { return !m_unloaded; }

    AnimationControl* Animation1;
    QLabel* lblProgressStatus;
    SkinProgressBar* ProgressBar1;
    SkinButton* Button1;
    QLabel* lblTimeRemaining;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void place(QWidget* control, int left, int top, int width, int height);
    void build();
    void scheduleFrame();
    void showFrame();

    std::unique_ptr<EnhancedForm> m_enhanced;
    std::shared_ptr<void> m_keepAlive;
    bool m_unloaded = false;
    std::optional<QString> m_task;        // written, not shown yet
    std::optional<std::int32_t> m_value;  // likewise
    QTimer m_frame;
    QElapsedTimer m_shown;
};

}  // namespace velmora
