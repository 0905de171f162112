// Server processes of this client.
#include "ServerLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "Connection.h"
#include "component/ServersAhead.h"
#include "runtime/Error.h"
#include "runtime/text.h"

extern char** environ;

namespace velmora {

namespace {

std::mutex g_mutex;
std::vector<pid_t> g_unreaped;
// Proxies own their connection; this table only finds it again while any of them lives.
std::map<std::string, std::weak_ptr<Connection>> g_running;
// Servers started ahead and not yet taken by a creation, held here until then. Declared after what their
// connections use as they close, so that at exit they go first.
std::map<std::string, std::shared_ptr<Connection>> g_ahead;

[[noreturn]] void cannotStart(const std::string& path, int error) {
    raise(
        err::CantCreateObject,
        standardErrorText(err::CantCreateObject) +
            fromUtf8(": the server program " + path + " could not be started (" + std::strerror(error) + ")"),
        {});
}

void reapFinishedLocked() {
    std::erase_if(g_unreaped, [](pid_t process) { return ::waitpid(process, nullptr, WNOHANG) != 0; });
}

// Spawn attributes that give the server a clean start whatever this process did to its signals.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    explicit SpawnSetup(int serverEnd) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, serverEnd, kServerConnectionFd);
        // Nothing else of this process leaks into the server: not our files, not other servers' sockets.
        posix_spawn_file_actions_addclosefrom_np(&actions, kServerConnectionFd + 1);
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

std::shared_ptr<Connection> startServer(const std::string& path) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) cannotStart(path, errno);
    // Kept above the fd the server expects, so that moving it there always clears close-on-exec.
    const int serverEnd = ::fcntl(ends[1], F_DUPFD_CLOEXEC, kServerConnectionFd + 1);
    const int dupError = errno;
    ::close(ends[1]);
    if (serverEnd < 0) {
        ::close(ends[0]);
        cannotStart(path, dupError);
    }
    const std::string fdText = std::to_string(kServerConnectionFd);
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("-Embedding"),
                    const_cast<char*>(fdText.c_str()), nullptr};
    pid_t process = 0;
    int status;
    {
        SpawnSetup setup(serverEnd);
        status = ::posix_spawn(&process, path.c_str(), &setup.actions, &setup.attributes, argv, environ);
    }
    ::close(serverEnd);
    if (status != 0) {
        ::close(ends[0]);
        cannotStart(path, status);
    }
    return Connection::client(ends[0], process);
}

bool runningLocked(const std::string& path) {
    const auto found = g_running.find(path);
    if (found == g_running.end()) return false;
    const auto connection = found->second.lock();
    return connection && connection->isOpen();
}

// A server that ended before anything was asked of it has closed its end: its start failed.
bool hungUp(const Connection& connection) {
    pollfd watch{connection.fd(), POLLRDHUP, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace

std::shared_ptr<Connection> connectToServer(const std::string& path) {
    // A connection dropped here goes after the lock: closing it collects its process under the lock.
    std::shared_ptr<Connection> ended;
    std::lock_guard lock(g_mutex);
    reapFinishedLocked();
    std::weak_ptr<Connection>& running = g_running[path];
    if (auto connection = running.lock(); connection && connection->isOpen()) return connection;
    std::shared_ptr<Connection> connection;
    if (const auto ahead = g_ahead.find(path); ahead != g_ahead.end()) {
        connection = std::move(ahead->second);
        g_ahead.erase(ahead);
        // Started ahead and gone already: a fresh start fails, or succeeds, as a first start would.
        if (!connection->isOpen() || hungUp(*connection)) ended = std::exchange(connection, nullptr);
    }
    if (!connection) connection = startServer(path);
    running = connection;
    return connection;
}

void startServerAhead(const std::string& path) noexcept {
    std::lock_guard lock(g_mutex);
    if (g_ahead.contains(path) || runningLocked(path)) return;
    try {
        g_ahead.emplace(path, startServer(path));
    } catch (...) {
        // The creation that needs it starts it and reports why it cannot.
    }
}

void endServersAhead() noexcept {
    decltype(g_ahead) unused;
    {
        std::lock_guard lock(g_mutex);
        unused.swap(g_ahead);
    }
    // Their servers see the connection close and end, as when a client goes.
}

void reapServerProcess(pid_t process) noexcept {
    std::lock_guard lock(g_mutex);
    if (::waitpid(process, nullptr, WNOHANG) == 0) g_unreaped.push_back(process);
    reapFinishedLocked();
}

}  // namespace velmora
