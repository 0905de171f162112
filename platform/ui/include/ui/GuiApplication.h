// The GUI application object of a process. Programs and servers create one on their user-interface thread
// before they show anything; while it lives, the platform's message-queue yield, thread timers, message
// boxes and window handles work through its event loop. Libraries never create it: they find it.
#pragma once

#include <QApplication>
#include <memory>

namespace velmora {

class UiState;

class GuiApplication : public QApplication {
    Q_OBJECT

  public:
    // argc must outlive the object (Qt keeps a reference to it).
    GuiApplication(int& argc, char** argv);
    ~GuiApplication() override;

    // The process's application object, or nullptr when there is none.
    static GuiApplication* current() noexcept;

    UiState& state() noexcept { return *m_state; }

  private:
    std::unique_ptr<UiState> m_state;
};

}  // namespace velmora
