// Works out the operating-system texts of SystemObject from the platform's version records.
#pragma once

#include "HostQueries.h"
#include "system/SystemObject.h"

namespace velmora {

// The basic query first; the extended one (a 156-byte record) for the releases that have it. A failed
// basic query leaves every text empty; a failed extended one leaves suite, product type and service pack
// empty.
OSRelease detectRelease(const HostQueries& queries);

}  // namespace velmora
