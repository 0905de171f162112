// Shredwell.exe: the secure eraser.
#include <QGuiApplication>
#include <cstdio>

#include "common/mCommandLine.h"
#include "mMain.h"
#include "runtime/Error.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    // Every argument is the user's: the application object is given the program's name only.
    mCommandLine::setProcessArguments(argc, argv);
    GuiApplication app(argc, argv);
    if (!app.displayOpened()) {
        std::fprintf(stderr, "Shredwell: %s\n", app.noDisplayReason().c_str());
        return 1;
    }
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
