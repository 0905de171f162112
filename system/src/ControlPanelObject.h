// ControlPanelObject: opens a page of the control panel, or the shell's search, for other programs. On
// this platform the applet commands open the desktop's own settings pages and the search key chords its
// file search (see platform/DesktopSettings.h); the object keeps no state.
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

enum ControlPanels : std::int32_t {
    Accessibility = 0,
    AddHardWare = 1,
    AddRemove = 2,
    DesktopDisplay = 3,
    DesktopThemes = 4,
    FindComputer = 5,
    FindFiles = 6,
    FontSettings = 7,
    InternetSettings = 8,
    KeyboardSettings = 9,
    ModemSettings = 10,
    MouseSettings = 11,
    NetworkSettings = 12,
    PasswordSettings = 13,
    PowerManagement = 14,
    PrinterSettings = 15,
    RegionalSettings = 16,
    SoundSettings = 17,
    SystemSettings = 18,
    TimeAndDate = 19,
    TweakUI = 20,
};

// Where the missing tweak applet can be fetched from.
constexpr const char* kTweakUiDownloadAddress = "https://velmora.example.org/downloads/tweakui.zip";

class ControlPanelObject : public Dispatchable<ControlPanelObject> {
  public:
    static const ClassInfo& describe();

    // Runs the page's command (error 53 when the program cannot be started); any other value does
    // nothing. The result is always Empty.
    Variant ShowControlPanel(std::int32_t Panel);
};

}  // namespace velmora
