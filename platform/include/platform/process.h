// Running a program to its end, for the rare caller that needs its outcome (a server's /regserver).
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Runs args[0] (a path; not looked up on PATH) with args and waits for it to end; its exit status, or -1
// when it could not start or did not exit normally. Standard input comes from /dev/null.
int runToEnd(const std::vector<std::string>& args);

}  // namespace velmora
