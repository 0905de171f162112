// Helpers around the Variant conversions.
#pragma once

#include "runtime/Variant.h"

namespace velmora {

// The value of an object's default member (followed while it is an object again, a few steps); any
// other value unchanged. Error 91 for Nothing, 13 for a chain of objects that does not end.
Variant defaultValue(const Variant& value);

}  // namespace velmora
