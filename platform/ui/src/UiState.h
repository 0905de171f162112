// What the GUI layer keeps per process while a GuiApplication lives.
#pragma once

#include "ThreadTimers.h"
#include "WindowEvents.h"
#include "WindowRegistry.h"

namespace velmora {

class UiState {
  public:
    ThreadTimers& timers() noexcept { return m_timers; }
    WindowRegistry& windows() noexcept { return m_windows; }
    WindowEvents& windowEvents() noexcept { return m_events; }

  private:
    ThreadTimers m_timers;
    WindowRegistry m_windows;
    WindowEvents m_events{m_windows};
};

// The running application's state, or nullptr without a GUI application.
UiState* uiState() noexcept;

}  // namespace velmora
