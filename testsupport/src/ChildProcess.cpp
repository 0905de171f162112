// A child program with its standard output captured through a pipe.
#include "testsupport/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>

namespace velmora::test {

ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
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

}  // namespace velmora::test
