// Child programs with their output captured through a pipe, and what tests ask about processes.
#include "testsupport/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace velmora::test {
namespace {

// "NAME=value" for every variable the child gets.
std::vector<std::string> childEnvironment(const ProgramOptions& options) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool changed = false;
        for (const auto& change : options.environment) changed = changed || change.first == name;
        if (!changed) entries.push_back(text);
    }
    for (const auto& [name, value] : options.environment)
        if (value) entries.push_back(name + "=" + *value);
    return entries;
}

// Forks and executes path; output, when not null, is the write end the child's output goes to.
pid_t spawn(const std::string& path, const std::vector<std::string>& args, const ProgramOptions& options,
            const int* output) {
    // Everything exec needs is made before fork: the child of a threaded process may not allocate.
    std::vector<std::string> entries = childEnvironment(options);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (output) {
            dup2(output[1], STDOUT_FILENO);
            if (options.withStandardError) dup2(output[1], STDERR_FILENO);
            close(output[0]);
            close(output[1]);
        }
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    return child;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args) {
    return runProgram(path, args, {});
}

ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args,
                         const ProgramOptions& options) {
    int fds[2];
    // Close-on-exec: a child another thread starts meanwhile must not keep this pipe open, or the read
    // below would wait for that child to end too. The copies made onto the child's output keep theirs.
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    const pid_t child = spawn(path, args, options, fds);
    close(fds[1]);
    ProgramOutput out;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = read(fds[0], buffer.data(), buffer.size())) > 0;) out.text.append(buffer.data(), n);
    close(fds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return out;
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

ProgramOutput objcall(const std::vector<std::string>& args) {
    return runProgram(VELMORA_OBJCALL_PATH, args);
}

pid_t startProgram(const std::string& path, const std::vector<std::string>& args,
                   const ProgramOptions& options) {
    return spawn(path, args, options, nullptr);
}

pid_t childProcessOf(pid_t parent, const std::string& program) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", ec);
        if (ec || exe != std::filesystem::path(program)) continue;
        const std::string status = fileText(entry.path() / "status");
        const auto at = status.find("PPid:");
        if (at != std::string::npos && std::stoi(status.substr(at + 5)) == parent)
            return std::stoi(entry.path().filename().string());
    }
    return -1;
}

bool processRunning(pid_t process) {
    const std::string stat = fileText("/proc/" + std::to_string(process) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

bool processEnds(pid_t process, std::chrono::milliseconds bound) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
    if (pidfd < 0) return errno == ESRCH;
    pollfd watch{pidfd, POLLIN, 0};
    const bool ended = poll(&watch, 1, static_cast<int>(bound.count())) == 1;
    close(pidfd);
    return ended;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace velmora::test
