// Runs a program of the build as a child process and collects what it prints, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

struct ProgramOutput {
    int status = -1;   // the exit status, or -1 when the program did not exit normally
    std::string text;  // everything it wrote on standard output
};

// Runs path with the arguments (standard error stays the test's) and waits for it to end.
ProgramOutput runProgram(const std::string& path, const std::vector<std::string>& args);

// Runs the build's objcall with the arguments.
ProgramOutput objcall(const std::vector<std::string>& args);

using Output = ProgramOutput;

}  // namespace velmora::test
