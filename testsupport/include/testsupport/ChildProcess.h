// Runs a program of the build as a child process and collects what it prints, for end-to-end tests.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

struct ProgramOutput {
    int status = -1;   // the exit status, or -1 when the program did not exit normally
    std::string text;  // everything it wrote on standard output
};

// How a child starts: changes to this process's environment (a value sets the variable, none removes it),
// and whether its standard error is collected along with its standard output.
struct ProgramOptions {
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    bool withStandardError = false;
};

// Runs path with the arguments (standard error stays the test's) and waits for it to end.
ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args);
ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args,
                         const ProgramOptions& options);

// Runs the build's objcall with the arguments.
ProgramOutput objcall(const std::vector<std::string>& args);

// Starts path with the arguments and returns at once: its process id, or -1. The caller waits for it.
pid_t startProgram(const std::string& path, const std::vector<std::string>& args,
                   const ProgramOptions& options = {});

// A running child of parent started from program (its full path), or -1.
pid_t childProcessOf(pid_t parent, const std::string& program);
// Whether the process still runs (one that ended and waits to be collected does not).
bool processRunning(pid_t process);
// Whether the process (not necessarily a child of this one) ends within bound; one already gone has.
bool processEnds(pid_t process, std::chrono::milliseconds bound = std::chrono::seconds(30));
// Polls done every 10 ms until it holds (true) or bound passes (false).
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = std::chrono::seconds(10));

using Output = ProgramOutput;

}  // namespace velmora::test
