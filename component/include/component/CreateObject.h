// Creation of objects by programmatic identifier or class id, through the class registrations:
// registry lookup, then the registered library (loaded once and kept loaded for the rest of the process,
// so no object ever outlives its code), its class object, and the new object; or the registered server
// program, started on first use (one per program for this process), which makes the object in its own
// process and hands back a reference through which every call travels.
#pragma once

#include <string_view>

#include "runtime/Object.h"

namespace velmora {

// Error 429 "ActiveX component can't create object" for a class that is not registered, a library that
// cannot be loaded or lacks the class-object entry point (with a description saying which), and a class
// the library does not serve, and a server program that cannot be started or ends before it answers.
// Errors the class raises while constructing pass through unchanged.
ObjectRef CreateObject(std::u16string_view progId);
ObjectRef createObjectByClassId(std::u16string_view classId);

}  // namespace velmora
