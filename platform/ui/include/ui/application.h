// Whether this process has a GUI, for code that includes no Qt header (libraries find the application
// object that a program or server created; they never create one).
#pragma once

namespace velmora {

// True while a GuiApplication exists.
bool guiApplicationRunning() noexcept;

// True on the thread that runs the GUI application's event loop (the thread that created it).
bool onGuiThread() noexcept;

// True in a server whose windows nobody can see (no display, or a platform that shows nothing): it opens
// no dialogs, and its message boxes go to standard error answered with their default button. A server
// whose GUI is made on demand (GuiOnDemand.h) makes it when asked.
bool headlessServer() noexcept;

}  // namespace velmora
