// The GUI application object of a process. Programs and servers create one on their user-interface thread
// before they show anything; while it lives, the platform's message-queue yield, thread timers, message
// boxes and window handles work through its event loop. Libraries never create it: they find it.
//
// Qt is given the program's name and nothing else: every argument belongs to the program's own command
// line, so "-display x" or "-platform y" among a user's file names are file names. The display comes
// from the environment alone: QT_QPA_PLATFORM when it is set (the tests' "offscreen"), else the X or
// Wayland display that DISPLAY or WAYLAND_DISPLAY names. When none of these can be opened the application
// still comes up, on the offscreen platform, instead of Qt ending the process: a program then says so and
// ends (displayOpened), a server goes on headless (nobody sees its windows, see application.h).
#pragma once

#include <QApplication>
#include <memory>
#include <string>
#include <thread>

namespace velmora {

class UiState;

class GuiApplication : public QApplication {
    Q_OBJECT

  public:
    // What the process needs of a screen: a program shows its windows to a person and cannot run without
    // one; a server runs whether anyone sees its windows or not.
    enum class Screen { Required, Optional };

    // argc and argv are the program's own; Qt sees argv[0] only.
    GuiApplication(int& argc, char** argv, Screen screen = Screen::Required);
    ~GuiApplication() override;

    // The process's application object, or nullptr when there is none.
    static GuiApplication* current() noexcept;

    // False when no display could be opened (the application runs offscreen only because nothing else
    // could); then noDisplayReason says why in a few words.
    bool displayOpened() const noexcept { return m_displayOpened; }
    std::string noDisplayReason() const;
    // A server that nobody sees: Screen::Optional on the offscreen or minimal platform.
    bool headless() const noexcept { return m_headless; }

    UiState& state() noexcept { return *m_state; }

    // Connects to the session bus now, on a thread of its own, for the accessibility bridge that the
    // first window starts and waits for. With no session bus running (a virtual display, an X session
    // without one) that connection first starts a bus, which the window then no longer waits for. For a
    // program about to show a window: one that shows none never needs the bus. Nothing on a screen
    // nobody sees.
    void connectSessionBusAhead();

  private:
    std::string m_platformSetting;  // QT_QPA_PLATFORM as the environment had it
    std::string m_tried;            // the displays tried before the offscreen last resort
    bool m_displayOpened = true;
    bool m_headless = false;
    std::unique_ptr<UiState> m_state;
    std::thread m_busConnecting;
};

}  // namespace velmora
