// The eraser's start-up: the log and help objects, the argument list, the window shown modally.
#pragma once

#include <string>

namespace velmora::mMain {

// Runs the program once; returns when the window has closed. An error while the log object is made
// leaves it (nothing can record it yet); later errors go to the log.
void Main();

// Registers what the eraser creates by name to the deliverables in folder where the registry does not
// already lead to a file that exists (see common/ComponentRegistration.h).
void registerComponents(const std::string& folder);

// The folder holding the running program, as a suite path without a final "\".
std::u16string programFolder();

}  // namespace velmora::mMain
