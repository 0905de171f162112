// Servers that need no screen for their main work (logging, mail) still run a GUI application object for
// the event loop; without a display they run on Qt's offscreen platform instead of failing to start.
#pragma once

namespace velmora {

// Sets QT_QPA_PLATFORM to "offscreen" when neither DISPLAY nor WAYLAND_DISPLAY names a display and the
// variable is not set already. Call before the GuiApplication is made.
void useOffscreenWithoutDisplay();

}  // namespace velmora
