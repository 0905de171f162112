// Gaugebox.exe: the progress window server. Registration needs no window. A client starts the server
// ahead of need, while its own start and dialog take the machine: the server answers the object's
// creation without a GUI, and makes its GUI (display, window system) right after, so that its start
// does not compete with the client's and is done long before the window is first shown. From then on it
// serves from the GUI event loop, so calls run between the window's own messages.
#include <poll.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>

#include "component/LocalServer.h"
#include "platform/library.h"
#include "progress/ClipResources.h"
#include "progress/Gaugebox.h"
#include "progress/frmProgressBar.h"
#include "ui/GuiOnDemand.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = gaugebox::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    registerClipResources(GetModuleHandleA(nullptr));
    // Made before the server, so that the objects the server releases as it ends go while their windows'
    // GUI is still up.
    GuiOnDemand gui(argc, argv, GuiApplication::Screen::Optional, [](GuiApplication& app) {
        // The server's life follows its objects and windows (onFinished below), not Qt's last-window
        // rule: a client still holding the object after the window closed must not find the server gone.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        // A loaded progress window keeps the process up, whatever the client has released, where
        // somebody can see it.
        if (!app.headless()) frmProgressBar::setKeepAlive([] { return std::make_shared<ServerLock>(); });
    });
    LocalServer server(table, command.fd);
    // The first requests (the creation) are answered at once; the GUI follows before anything else is.
    while (!gui.app() && !server.finished()) {
        pollfd watch{server.fd(), POLLIN, 0};
        if (::poll(&watch, 1, -1) < 0 && errno != EINTR) return 1;
        server.servePending();
        if (!server.finished()) gui.start();
    }
    if (server.finished()) return 0;
    frmProgressBar::warmUpSoon();  // the creation came before the GUI it warms up

    server.onFinished([] { QCoreApplication::exit(0); });
    QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&server, &notifier] {
        server.servePending();
        if (server.fd() < 0) notifier.setEnabled(false);
    });
    return gui.app()->exec();
}
