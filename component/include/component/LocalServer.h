// The serving side of a component server program: a program whose classes clients create through
// CreateObject and use from their own process.
//
// A server's command line says what to do:
//   /regserver      register the class table's classes under LocalServer32 with this program's path
//   /unregserver    remove those registrations
//   -Embedding <fd> serve the client connected at fd (the component system starts servers this way)
//
// A plain server's main is one line:
//   int main(int argc, char** argv) { return velmora::runLocalServer(makeClassTable(), argc, argv); }
//
// A server with windows watches the connection with its own event loop instead:
//   LocalServer server(table, command.fd);
//   QSocketNotifier notifier(server.fd(), QSocketNotifier::Read);
//   QObject::connect(&notifier, &QSocketNotifier::activated, [&] { server.servePending(); });
//   server.onFinished([&] { app.quit(); });
//   return app.exec();
//
// A server ends when its client has released the last object it was given, or has gone away (its objects
// are released then), and no ServerLock is held. Calls made while serving (events and callbacks to the
// client) are synchronous and serve the client's nested calls meanwhile. When the client has gone, calls
// to its objects raise 462, as the client's calls do when the server has gone.
#pragma once

#include <functional>
#include <memory>

#include "component/ClassTable.h"

namespace velmora {

class Connection;

struct ServerCommand {
    enum class Action { None, RegServer, UnregServer, Embedding };
    Action action = Action::None;
    int fd = -1;  // Embedding: the connection's fd
};

// Switches are accepted with '/' or '-' and in any case, as the component system's own are. A missing
// or malformed fd after -Embedding gives Action::None.
ServerCommand parseServerCommand(int argc, char** argv);

// Runs the command line: registration (0 on success, 1 when a registry write fails), or serving until
// the server is done (0; 1 when the connection broke down). Other command lines print a usage line and
// return 2.
int runLocalServer(const ClassTable& table, int argc, char** argv);

class LocalServer {
  public:
    // Serves the client connected at fd (taken over) with the classes of table (which must outlive it).
    // One per process.
    LocalServer(const ClassTable& table, int fd);
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // The descriptor an event loop watches for input; -1 once the connection has ended.
    int fd() const noexcept;
    // Serves the frames that have arrived, without waiting for more.
    void servePending();
    // The connection has ended and no ServerLock is held.
    bool finished() const noexcept;
    // Called once, when finished() becomes true (in servePending or when the last ServerLock goes).
    void onFinished(std::function<void()> handler);
    // The blocking loop of a server without an event loop: serves until the connection ends (a lock
    // cannot be released by anything once no call arrives, so the loop does not wait for locks).
    // 0, or 1 when the connection ended by a fault.
    int run();

  private:
    friend class ServerLock;
    void notifyIfFinished();

    std::shared_ptr<Connection> m_connection;
    std::function<void()> m_onFinished;
    bool m_notified = false;
};

// True in a server process once its client's connection has ended: work still running for that client
// (a wait inside one of its calls) may stop, nobody is left to take the result.
bool serverClientGone() noexcept;

// Keeps the server process running while held, although the client has released everything: an open
// window of the server's own holds one.
class ServerLock {
  public:
    ServerLock() noexcept;
    ~ServerLock();
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;

    static int count() noexcept;
};

}  // namespace velmora
