// The test SMTP server as a child process: its port comes back on the first line it prints.
#include "testsupport/SmtpTestServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

SmtpTestServer::SmtpTestServer(std::vector<std::string> options) {
    std::string pattern = (fs::temp_directory_path() / "smtpXXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "no folder for the SMTP server";
        return;
    }
    m_dir = pattern;
    int fds[2];
    // Close-on-exec, as every pipe a test makes while other threads may start children.
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    std::vector<std::string> words{VELMORA_SYSTEM_PYTHON, VELMORA_SMTPSERVER_SCRIPT, "--dir", m_dir};
    words.insert(words.end(), options.begin(), options.end());
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    m_pid = child;
    std::string line;
    pollfd watch{fds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&watch, 1, 20000) > 0) {
        char buffer[64];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (line.rfind("PORT ", 0) == 0) m_port = std::atoi(line.c_str() + 5);
    if (m_port <= 0) ADD_FAILURE() << "the SMTP server did not come up: " << line;
}

SmtpTestServer::~SmtpTestServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    std::error_code ec;
    if (!m_dir.empty() && !std::getenv("VELMORA_KEEP_SANDBOX")) fs::remove_all(m_dir, ec);
}

std::string SmtpTestServer::address() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::vector<SmtpTestServer::Message> SmtpTestServer::messages() const {
    std::vector<Message> found;
    for (int n = 1;; ++n) {
        const fs::path data = fs::path(m_dir) / (std::to_string(n) + ".eml");
        if (!fs::exists(data)) break;
        found.push_back({readWhole(fs::path(m_dir) / (std::to_string(n) + ".env")), readWhole(data)});
    }
    return found;
}

std::vector<SmtpTestServer::Message> SmtpTestServer::waitForMessages(std::size_t count,
                                                                     std::chrono::milliseconds bound) const {
    const auto end = std::chrono::steady_clock::now() + bound;
    std::vector<Message> found = messages();
    while (found.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        found = messages();
    }
    return found;
}

bool makeTestCertificates(const std::string& folder) {
    const std::string f = "'" + folder + "'";
    const std::string commands =
        "cd " + f +
        " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Velmora-Test-CA -keyout ca.key"
        " -out ca.pem -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign "
        ">/dev/null 2>&1"
        " && openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr"
        " >/dev/null 2>&1"
        " && printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\\nextendedKeyUsage=serverAuth\\n' > ext.cnf"
        " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out "
        "server.pem"
        " -extfile ext.cnf >/dev/null 2>&1";
    return std::system(commands.c_str()) == 0;
}

}  // namespace velmora::test
