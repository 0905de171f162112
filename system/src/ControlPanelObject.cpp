#include "ControlPanelObject.h"

#include <array>
#include <string>

#include "platform/attributes.h"
#include "platform/keyboard.h"
#include "platform/messagebox.h"
#include "platform/shell.h"
#include "platform/systeminfo.h"
#include "platform/winexec.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr const char* kAppletCommands[] = {
    "rundll32.exe shell32.dll,Control_RunDLL access.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl @1",
    "rundll32.exe shell32.dll,Control_RunDLL appwiz.cpl,,1",
    "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,0",
    "rundll32.exe shell32.dll,Control_RunDLL themes.cpl,,0",
    nullptr,  // FindComputer: key chord
    nullptr,  // FindFiles: key chord
    "rundll32.exe shell32.dll,Control_RunDLL main.cpl @3",
    "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0",
    "rundll32.exe shell32.dll,Control_RunDLL main.cpl @1",
    "rundll32.exe shell32.dll,Control_RunDLL modem.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL main.cpl @0",
    "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL password.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL powercfg.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL main.cpl @2",
    "rundll32.exe shell32.dll,Control_RunDLL intl.cpl,,0",
    "rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl @1",
    "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl,,0",
    "rundll32.exe shell32.dll,Control_RunDLL timedate.cpl",
    "rundll32.exe shell32.dll,Control_RunDLL tweakui.cpl",
};

constexpr BYTE kCtrl = 17;
constexpr BYTE kWindows = 91;
constexpr BYTE kF = 70;
constexpr DWORD kUp = 2;

void key(BYTE code, DWORD flags) {
    keybd_event(code, 0, flags, 0);
}

// Started as a new, shown process; a program that cannot start is the caller's error 53.
void run(const char* command) {
    if (WinExec(command, SW_SHOW) <= 31) raise(err::FileNotFound, u"ControlPanelObject:ShowControlPanel");
}

// The applet file beside the system's own applets; when it is missing, offer to fetch it instead. The
// folder is looked for in proper case, as the original names it, and as the platform spells it, since
// this file system tells the two apart.
bool tweakUiPresent() {
    std::array<char, 256> buffer{};
    GetSystemDirectoryA(buffer.data(), 255);
    const std::u16string reported = fromUtf8(buffer.data());
    for (std::u16string folder : {ProperCase(reported), reported}) {
        if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
        const std::string applet = toUtf8(folder) + "\\tweakui.cpl";
        if (GetFileAttributesA(applet.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

}  // namespace

Variant ControlPanelObject::ShowControlPanel(std::int32_t Panel) {
    switch (Panel) {
        case FindComputer:
            key(kCtrl, 0);
            key(kWindows, 0);
            key(kF, 0);
            key(kF, kUp);
            key(kWindows, kUp);
            key(kCtrl, kUp);
            return {};
        case FindFiles:
            key(kCtrl, kUp);
            key(kWindows, 0);
            key(kF, 0);
            key(kF, kUp);
            key(kWindows, kUp);
            return {};
        case TweakUI:
            if (!tweakUiPresent()) {
                const int answer = MessageBoxA(0,
                                               "It appears that you do not have TweakUI installed on your "
                                               "machine.\nWould you like to download this component now?",
                                               "Missing Component", MB_YESNO | MB_ICONQUESTION);
                if (answer == IDYES)
                    ShellExecuteA(0, "Open", kTweakUiDownloadAddress, nullptr, nullptr, SW_HIDE);
                return {};
            }
            run(kAppletCommands[TweakUI]);
            return {};
        default:
            if (Panel >= Accessibility && Panel < TweakUI) run(kAppletCommands[Panel]);
            return {};
    }
}

const ClassInfo& ControlPanelObject::describe() {
    static const ClassInfo info =
        ClassBuilder<ControlPanelObject>(u"ControlPanelObject")
            .method(u"ShowControlPanel", &ControlPanelObject::ShowControlPanel, {u"Panel"})
            .build();
    return info;
}

}  // namespace velmora
