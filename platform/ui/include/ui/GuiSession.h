// A GUI application for a program that has none of its own and wants one only on demand (objcall --gui).
// Such a program loads this layer by file name (kGuiLayerFile) and finds these entry points by name, so
// that it loads no Qt at all while it runs without a GUI. The calling thread becomes the GUI thread.
#pragma once

namespace velmora {

inline constexpr char kGuiLayerFile[] = "libvelmora-ui.so";

}  // namespace velmora

extern "C" {

// Creates the process's GuiApplication on the calling thread, on the display in DISPLAY (or
// WAYLAND_DISPLAY), or on the platform QT_QPA_PLATFORM names (offscreen: no display at all). Returns
// nullptr when it runs, else why not: there already is one, or there is no display to open (where Qt
// itself would end the process).
const char* velmoraGuiStart(const char* programName);
// Runs the GUI thread's event loop for about ms milliseconds: timers tick, windows paint, input is
// handled. Called on the GUI thread while the application made by velmoraGuiStart lives.
void velmoraGuiRunFor(unsigned ms);
// Destroys the application made by velmoraGuiStart; windows still open go with it. Release the objects
// first, so that their windows close as they would in a program.
void velmoraGuiStop();

using VelmoraGuiStartFn = const char* (*)(const char*);
using VelmoraGuiRunForFn = void (*)(unsigned);
using VelmoraGuiStopFn = void (*)();
}
