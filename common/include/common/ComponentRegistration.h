// The classes a program creates by name, registered to the deliverables beside it wherever they are not
// registered to a file that exists: a build folder or an unpacked copy runs as it is, with nothing
// installed first, and an installed suite's own registrations are left as they stand.
#pragma once

#include <span>
#include <string>

#include "component/registration.h"

namespace velmora {

// One class per deliverable is enough: each registers all of its classes at once.
struct SuiteClass {
    const char16_t* progId;
    const char* file;  // its file in the program's folder
    ServerKind kind;
};

// folder: the program's own folder (a suite or POSIX path). Libraries are registered through their
// DllRegisterServer, servers by running them with /regserver, in the order given. Nothing is raised: a
// deliverable that is missing or fails is left to the creation that needs it, which then says which.
void registerComponentsBeside(const std::string& folder, std::span<const SuiteClass> classes);

}  // namespace velmora
