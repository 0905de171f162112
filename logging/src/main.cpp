// Tracebook.exe: the application log server. Serving runs the GUI event loop, which also serves the
// bug-report dialogs between client calls; an open dialog keeps the process up where somebody can see it.
#include <QGuiApplication>
#include <QSocketNotifier>

#include "component/LocalServer.h"
#include "logging/Tracebook.h"
#include "logging/frmMain.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = tracebook::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    // Logging needs no screen: without one the server runs headless, opening no dialog.
    GuiApplication app(argc, argv, GuiApplication::Screen::Optional);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    LocalServer server(table, command.fd);
    if (!app.headless()) frmMain::setKeepAlive([] { return std::make_shared<ServerLock>(); });
    // exit, not quit: quit first asks every window to close and gives up while one stays.
    server.onFinished([] { QCoreApplication::exit(0); });
    QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&server, &notifier] {
        server.servePending();
        if (server.fd() < 0) notifier.setEnabled(false);
    });
    if (server.finished()) return 0;
    return app.exec();
}
