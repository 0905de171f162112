// Tracebook.exe: the application log server. Serving runs the GUI event loop, which also serves the
// bug-report dialogs between client calls; an open dialog keeps the process up.
#include <QGuiApplication>
#include <QSocketNotifier>

#include "component/LocalServer.h"
#include "logging/Tracebook.h"
#include "logging/frmMain.h"
#include "ui/GuiApplication.h"
#include "ui/headless.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = tracebook::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    // Logging needs no screen; a dialog asked for without one has nowhere to go but does no harm.
    useOffscreenWithoutDisplay();
    GuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    LocalServer server(table, command.fd);
    frmMain::setKeepAlive([] { return std::make_shared<ServerLock>(); });
    server.onFinished([&app] { app.quit(); });
    QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&server, &notifier] {
        server.servePending();
        if (server.fd() < 0) notifier.setEnabled(false);
    });
    if (server.finished()) return 0;
    return app.exec();
}
