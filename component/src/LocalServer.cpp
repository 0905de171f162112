// The serving side of a component server program.
#include "component/LocalServer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Connection.h"
#include "component/hresult.h"
#include "component/registration.h"
#include "platform/library.h"

namespace velmora {

namespace {

int g_locks = 0;
LocalServer* g_server = nullptr;

// "/regserver", "-RegServer", ... : the switch without its lead character, lower-cased.
std::string switchName(std::string_view word) {
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-')) return {};
    std::string name(word.substr(1));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// A descriptor number, nothing else: no sign, no blanks, no trailing text.
int parseFd(std::string_view text) {
    if (text.empty() || text.size() > 9) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string ownProgramPath() {
    char path[4096];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

}  // namespace

ServerCommand parseServerCommand(int argc, char** argv) {
    if (argc < 2) return {};
    const std::string name = switchName(argv[1]);
    if (argc == 2 && name == "regserver") return {ServerCommand::Action::RegServer};
    if (argc == 2 && name == "unregserver") return {ServerCommand::Action::UnregServer};
    if (argc == 3 && name == "embedding") {
        const int fd = parseFd(argv[2]);
        if (fd >= 0) return {ServerCommand::Action::Embedding, fd};
    }
    return {};
}

int runLocalServer(const ClassTable& table, int argc, char** argv) {
    const ServerCommand command = parseServerCommand(argc, argv);
    switch (command.action) {
        case ServerCommand::Action::RegServer:
            return registerClasses(table, ownProgramPath(), ServerKind::LocalServer) == hr::Ok ? 0 : 1;
        case ServerCommand::Action::UnregServer:
            return unregisterClasses(table, ownProgramPath(), ServerKind::LocalServer) == hr::Ok ? 0 : 1;
        case ServerCommand::Action::Embedding:
            return LocalServer(table, command.fd).run();
        case ServerCommand::Action::None:
            break;
    }
    std::fprintf(stderr, "usage: %s /regserver | /unregserver | -Embedding <fd>\n",
                 argc > 0 ? argv[0] : "server");
    return 2;
}

LocalServer::LocalServer(const ClassTable& table, int fd) : m_connection(Connection::server(fd, table)) {
    g_server = this;
}

LocalServer::~LocalServer() {
    if (g_server == this) g_server = nullptr;
    m_connection->close();
}

int LocalServer::fd() const noexcept {
    return m_connection->fd();
}

void LocalServer::servePending() {
    m_connection->serve(0);
    notifyIfFinished();
}

bool LocalServer::finished() const noexcept {
    return !m_connection->isOpen() && g_locks == 0;
}

void LocalServer::onFinished(std::function<void()> handler) {
    m_onFinished = std::move(handler);
    notifyIfFinished();
}

int LocalServer::run() {
    while (m_connection->serve(-1)) {
    }
    notifyIfFinished();
    return m_connection->closedByFault() ? 1 : 0;
}

void LocalServer::notifyIfFinished() {
    if (m_notified || !finished() || !m_onFinished) return;
    m_notified = true;
    m_onFinished();
}

bool serverClientGone() noexcept {
    return g_server && g_server->fd() < 0;
}

ServerLock::ServerLock() noexcept {
    ++g_locks;
}

ServerLock::~ServerLock() {
    if (--g_locks == 0 && g_server) g_server->notifyIfFinished();
}

int ServerLock::count() noexcept {
    return g_locks;
}

}  // namespace velmora
