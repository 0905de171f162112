// Shredwell.exe: the secure eraser.
#include <QGuiApplication>
#include <cstdio>

#include "common/mCommandLine.h"
#include "mMain.h"
#include "runtime/Error.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    // Taken before the application object sees argv: it would swallow items that look like its options.
    mCommandLine::setProcessArguments(argc, argv);
    GuiApplication app(argc, argv);
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
