// The classes the eraser creates, registered to the deliverables beside the program wherever they are
// not registered to a file that exists: a build folder or an unpacked copy runs as it is, with nothing
// installed first.
#pragma once

#include <string>

namespace velmora {

// folder: the program's own folder (a suite or POSIX path). Libraries are registered through their
// DllRegisterServer, servers by running them with /regserver; a deliverable that is missing or fails is
// left to the creation that needs it, which then reports "can't create object".
void registerComponentsBeside(const std::string& folder);

}  // namespace velmora
