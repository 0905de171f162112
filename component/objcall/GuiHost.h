// objcall's GUI application, made only for --gui: the GUI layer (and with it Qt) is loaded when asked for,
// so that a run without --gui loads and does exactly what it did before there was a --gui.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::objcall {

class GuiHost {
  public:
    GuiHost() = default;
    GuiHost(const GuiHost&) = delete;
    GuiHost& operator=(const GuiHost&) = delete;
    // Destroys the application: release the objects before.
    ~GuiHost();

    // Loads the GUI layer and makes the process's application on this thread; empty when it runs, else
    // why it does not.
    std::string start(const char* programName);
    bool running() const noexcept { return m_runFor != nullptr; }

    // Runs the event loop for ms milliseconds with a GUI, sleeps that long without one.
    void wait(std::uint32_t ms);

  private:
    void (*m_runFor)(unsigned) = nullptr;
    void (*m_stop)() = nullptr;
};

}  // namespace velmora::objcall
