// A server's GUI application made when something first needs it instead of at the server's start. A
// server whose clients may never have it show anything (the log server, in a run without errors) then
// answers its first calls at once, without first opening a display, loading a window system and reaching
// an accessibility bus; a server that does show something pays for that start then.
//
// What needs the GUI asks through the platform's own questions: headlessServer() (whether anybody could
// see a window; asked before a server opens one) and MessageBoxA. Either makes the application object on
// the spot, on the calling thread, which must be the server's main thread. Code that makes widgets
// without asking headlessServer() first must not run before the application object exists.
#pragma once

#include <functional>
#include <memory>

#include "platform/messagebox.h"
#include "ui/GuiApplication.h"

namespace velmora {

class GuiOnDemand {
  public:
    // started runs once, right after the application object is made, before the need that made it is met.
    // argc and argv must outlive this object. One per process.
    GuiOnDemand(int& argc, char** argv, GuiApplication::Screen screen,
                std::function<void(GuiApplication&)> started);
    ~GuiOnDemand();
    GuiOnDemand(const GuiOnDemand&) = delete;
    GuiOnDemand& operator=(const GuiOnDemand&) = delete;

    // The application object, or nullptr while nothing has needed it.
    GuiApplication* app() const noexcept { return m_app.get(); }
    // Makes the application object now unless it exists.
    GuiApplication& start();

    // The application object of this process's GuiOnDemand, made now if need be; nullptr without one.
    static GuiApplication* startWaiting();

  private:
    int& m_argc;
    char** m_argv;
    GuiApplication::Screen m_screen;
    std::function<void(GuiApplication&)> m_started;
    MessageBoxPresenter m_previousPresenter;
    std::unique_ptr<GuiApplication> m_app;
};

}  // namespace velmora
