// Starting component server programs for this client process: one running server per program, started on
// the first creation of one of its classes (or ahead of it) and kept while this process holds any of its
// objects.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace velmora {

class Connection;

// The fd number a server finds its end of the connection on; it is also named on its command line.
constexpr int kServerConnectionFd = 3;

// The connection to the running server of the program at path (a POSIX path), starting the program with
// "-Embedding 3" and its end of a fresh socket pair when none runs. 429 when it cannot be started.
std::shared_ptr<Connection> connectToServer(const std::string& path);

// Starts the program at path now, unless it already runs for this process, so that connectToServer finds
// it (startServersAhead). Nothing is raised: a program that cannot be started is left to connectToServer.
void startServerAhead(const std::string& path) noexcept;

// Collects an ended server process now, or later when it has not ended yet, so none is left a zombie.
void reapServerProcess(pid_t process) noexcept;

}  // namespace velmora
