// Postwire.exe: the mail server. It shows no window, but the SMTP client's waits run the event loop that
// serves its socket, so it runs a GUI application object like the other servers; without a display it
// runs headless.
#include <QSocketNotifier>

#include "component/LocalServer.h"
#include "mail/Postwire.h"
#include "ui/GuiApplication.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const ClassTable& table = postwire::classTable();
    const ServerCommand command = parseServerCommand(argc, argv);
    if (command.action != ServerCommand::Action::Embedding) return runLocalServer(table, argc, argv);

    GuiApplication app(argc, argv, GuiApplication::Screen::Optional);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    LocalServer server(table, command.fd);
    // Also from inside a send that is still waiting for the mail server: its client has gone.
    server.onFinished([] { QCoreApplication::exit(0); });
    QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&server, &notifier] {
        server.servePending();
        if (server.fd() < 0) notifier.setEnabled(false);
    });
    if (server.finished()) return 0;
    return app.exec();
}
