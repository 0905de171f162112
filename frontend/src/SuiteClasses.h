// The classes Sealdesk creates by name, registered from the files beside it when the registry does not
// already lead to a file that exists: a build tree or an unpacked copy runs as it is, and an installed
// suite's own registrations are left as they stand.
#pragma once

#include <string>
#include <vector>

namespace velmora::SuiteClasses {

// Whether a run with these process arguments (argv without the program) opens a dialog: a switch the
// start routine knows and a path.
bool opensDialog(const std::vector<std::u16string>& arguments);

// Starts the servers a run with these process arguments (argv without the program) will create objects
// of, so that they come up while the program does: the log server always, the progress server when the
// arguments open a dialog. Only servers already registered; ensureRegistered starts the others once it
// has registered them (the first start in a folder).
void startServers(const std::vector<std::u16string>& arguments);

// Libraries through their DllRegisterServer, servers through "/regserver". Nothing is raised: a class that
// stays unregistered fails later, where it is created, with the error that says which.
void ensureRegistered();

// The native folder holding the suite's libraries and servers: the program's own unless a test chose one.
const std::string& componentDirectory();
void setComponentDirectory(std::string folder);

}  // namespace velmora::SuiteClasses
