// Tracebook.exe: the application log server. Most runs only write lines, which needs no screen: the
// server answers from the start without one, and makes its GUI (display, window system, accessibility
// bus) only when an entry is to be shown. From then on it serves from the GUI event loop, which also
// serves the bug-report dialogs between client calls; an open dialog keeps the process up where somebody
// can see it.
#include <poll.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <optional>

#include "component/LocalServer.h"
#include "logging/Tracebook.h"
#include "logging/frmMain.h"
#include "ui/GuiOnDemand.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = tracebook::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    // Logging needs no screen: without one the GUI runs headless, opening no dialog. Made before the
    // server, so that the objects the server releases as it ends go while their windows' GUI is still up.
    GuiOnDemand gui(argc, argv, GuiApplication::Screen::Optional, [](GuiApplication& app) {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        if (!app.headless()) frmMain::setKeepAlive([] { return std::make_shared<ServerLock>(); });
    });
    LocalServer server(table, command.fd);
    while (!gui.app() && !server.finished()) {
        pollfd watch{server.fd(), POLLIN, 0};
        if (::poll(&watch, 1, -1) < 0 && errno != EINTR) return 1;
        server.servePending();
    }

    // exit, not quit: quit first asks every window to close and gives up while one stays.
    server.onFinished([] { QCoreApplication::exit(0); });
    if (server.finished()) return 0;
    // The client may have gone already, leaving a dialog open: then only the dialog is served.
    std::optional<QSocketNotifier> notifier;
    if (server.fd() >= 0) {
        notifier.emplace(server.fd(), QSocketNotifier::Read);
        QObject::connect(&*notifier, &QSocketNotifier::activated, [&server, &notifier] {
            server.servePending();
            if (server.fd() < 0) notifier->setEnabled(false);
        });
    }
    return gui.app()->exec();
}
