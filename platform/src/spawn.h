// Starting a program that outlives the call (its own session, reaped by init).
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Runs args[0] (looked up on PATH) with args, in folder when it is given and usable. Returns
// gio::kStarted (42) once exec has succeeded, else the shell's error code (SE_ERR_FNF for a missing
// program, SE_ERR_ACCESSDENIED, ...), read back from the child before it returns.
int startDetached(const std::vector<std::string>& args, const std::string& folder);

}  // namespace velmora
