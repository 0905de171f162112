// Whether this process has a GUI, for code that includes no Qt header (libraries find the application
// object that a program or server created; they never create one).
#pragma once

namespace velmora {

// True while a GuiApplication exists.
bool guiApplicationRunning() noexcept;

// True on the thread that runs the GUI application's event loop (the thread that created it).
bool onGuiThread() noexcept;

}  // namespace velmora
