// Server processes of this client.
#include "ServerLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "Connection.h"
#include "runtime/Error.h"
#include "runtime/text.h"

extern char** environ;

namespace velmora {

namespace {

std::mutex g_mutex;
std::vector<pid_t> g_unreaped;

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

}  // namespace

std::shared_ptr<Connection> connectToServer(const std::string& path) {
    // Proxies own their connection; this table only finds it again while any of them lives.
    static std::map<std::string, std::weak_ptr<Connection>> running;
    std::lock_guard lock(g_mutex);
    reapFinishedLocked();
    if (auto connection = running[path].lock(); connection && connection->isOpen()) return connection;
    auto connection = startServer(path);
    running[path] = connection;
    return connection;
}

void reapServerProcess(pid_t process) noexcept {
    std::lock_guard lock(g_mutex);
    if (::waitpid(process, nullptr, WNOHANG) == 0) g_unreaped.push_back(process);
    reapFinishedLocked();
}

}  // namespace velmora
