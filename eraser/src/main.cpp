// Shredwell.exe: the secure eraser.
#include <QGuiApplication>
#include <cstdio>

#include "common/mCommandLine.h"
#include "component/ServersAhead.h"
#include "mMain.h"
#include "runtime/Error.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    // Every argument is the user's: the application object is given the program's name only.
    mCommandLine::setProcessArguments(argc, argv);
    // Every run shows the window, which creates a progress object, and keeps a log object: both servers
    // come up beside the program's own start; any the run never took ends with it.
    constexpr std::u16string_view kServers[] = {u"Tracebook.LogObject", u"Gaugebox.ProgressObject"};
    startServersAhead(kServers);
    struct EndUnusedServers {
        ~EndUnusedServers() { endServersAhead(); }
    } endUnusedServers;
    GuiApplication app(argc, argv);
    if (!app.displayOpened()) {
        std::fprintf(stderr, "Shredwell: %s\n", app.noDisplayReason().c_str());
        return 1;
    }
    app.connectSessionBusAhead();  // the window shows on every run
    // The window hides while the erase runs; that is no reason to end.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    try {
        mMain::Main();
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "Shredwell: %s\n", error.what());
        return 1;
    }
    return 0;
}
