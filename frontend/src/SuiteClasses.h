// The classes Sealdesk creates by name, registered from the files beside it when the registry does not
// already lead to a file that exists: a build tree or an unpacked copy runs as it is, and an installed
// suite's own registrations are left as they stand.
#pragma once

#include <string>

namespace velmora::SuiteClasses {

// Libraries through their DllRegisterServer, servers through "/regserver". Nothing is raised: a class that
// stays unregistered fails later, where it is created, with the error that says which.
void ensureRegistered();

// The native folder holding the suite's libraries and servers: the program's own unless a test chose one.
const std::string& componentDirectory();
void setComponentDirectory(std::string folder);

}  // namespace velmora::SuiteClasses
