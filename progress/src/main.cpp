// Gaugebox.exe: the progress window server. Registration needs no window; serving runs the GUI event loop
// and watches the client's connection from it, so calls run between the window's own messages.
#include <QGuiApplication>
#include <QSocketNotifier>

#include "component/LocalServer.h"
#include "platform/library.h"
#include "progress/ClipResources.h"
#include "progress/Gaugebox.h"
#include "progress/frmProgressBar.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = gaugebox::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    GuiApplication app(argc, argv, GuiApplication::Screen::Optional);
    // The server's life follows its objects and windows (onFinished below), not Qt's last-window rule:
    // a client still holding the object after the window closed must not find the server gone.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    registerClipResources(GetModuleHandleA(nullptr));
    LocalServer server(table, command.fd);
    // A loaded progress window keeps the process up, whatever the client has released, where somebody
    // can see it.
    if (!app.headless()) frmProgressBar::setKeepAlive([] { return std::make_shared<ServerLock>(); });
    server.onFinished([] { QCoreApplication::exit(0); });
    QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&server, &notifier] {
        server.servePending();
        if (server.fd() < 0) notifier.setEnabled(false);
    });
    if (server.finished()) return 0;
    return app.exec();
}
