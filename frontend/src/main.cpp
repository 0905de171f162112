// Sealdesk.exe: hands argv to the command-line module and runs the start routine on a GUI application.
#include <cstdio>

#include "SuiteClasses.h"
#include "common/CommandLine.h"
#include "common/mCommandLine.h"
#include "component/ServersAhead.h"
#include "mMain.h"
#include "runtime/Error.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    mCommandLine::setProcessArguments(argc, argv);
    // The servers come up beside the program's own start, not one after the other inside it; those the
    // run never took end with it.
    const std::vector<std::u16string> arguments = processArguments(argc, argv);
    SuiteClasses::startServers(arguments);
    struct EndUnusedServers {
        ~EndUnusedServers() { endServersAhead(); }
    } endUnusedServers;
    GuiApplication app(argc, argv);
    if (!app.displayOpened()) {
        std::fprintf(stderr, "Sealdesk: %s\n", app.noDisplayReason().c_str());
        return 1;
    }
    if (SuiteClasses::opensDialog(arguments)) app.connectSessionBusAhead();
    // The shared objects go before the application object their windows need, on every way out: left to
    // the static destructors they outlived it and freed what it had already freed.
    struct ReleaseShared {
        ~ReleaseShared() { mMain::shared() = {}; }
    } releaseShared;
    try {
        mMain::Main();
    } catch (const RuntimeError& error) {
        // Only the log object's own set-up gets here: there is nowhere else to report it.
        std::fprintf(stderr, "Sealdesk: %s\n", error.what());
        return 1;
    }
    return 0;
}
