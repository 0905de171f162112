#include "GuiHost.h"

#include "platform/library.h"
#include "platform/systeminfo.h"
#include "ui/GuiSession.h"

namespace velmora::objcall {

GuiHost::~GuiHost() {
    // The layer stays loaded: Qt does not come apart cleanly while the process still runs.
    if (m_stop) m_stop();
}

std::string GuiHost::start(const char* programName) {
    HMODULE layer = LoadLibraryA(kGuiLayerFile);
    if (!layer) return std::string("the GUI layer ") + kGuiLayerFile + " could not be loaded";
    auto start = reinterpret_cast<VelmoraGuiStartFn>(GetProcAddress(layer, "velmoraGuiStart"));
    auto runFor = reinterpret_cast<VelmoraGuiRunForFn>(GetProcAddress(layer, "velmoraGuiRunFor"));
    auto stop = reinterpret_cast<VelmoraGuiStopFn>(GetProcAddress(layer, "velmoraGuiStop"));
    if (!start || !runFor || !stop)
        return std::string("the GUI layer ") + kGuiLayerFile + " has no GUI session";
    if (const char* problem = start(programName)) return problem;
    m_runFor = runFor;
    m_stop = stop;
    return {};
}

void GuiHost::wait(std::uint32_t ms) {
    if (m_runFor)
        m_runFor(ms);
    else
        Sleep(ms);
}

}  // namespace velmora::objcall
