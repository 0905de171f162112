// The errors this method reports besides the run-time ones. The numbers are the method's own, in the
// component-error range, and stay as they are: logs and callers may tell the cases apart by them.
#pragma once

#include <cstdint>

#include "component/fileerrors.h"
#include "platform/win32types.h"
#include "runtime/Error.h"

namespace velmora::argonbox {

namespace methodError {
constexpr std::int32_t SourceMissing = vbObjectError + 1024;
// Another magic or format version: data of another method, or no encrypted data at all.
constexpr std::int32_t NotThisMethod = vbObjectError + 1025;
// A chunk that fails authentication, a missing final chunk, data after it, a cut header.
constexpr std::int32_t WrongPasswordOrDamaged = vbObjectError + 1026;
// A header of this format whose key derivation or parameters lie outside what is accepted.
constexpr std::int32_t UnsupportedParameters = vbObjectError + 1027;
// libsodium could not be initialised (no usable source of randomness).
constexpr std::int32_t LibraryUnavailable = vbObjectError + 1028;
}  // namespace methodError

[[noreturn]] void raiseMethodError(std::int32_t number);

}  // namespace velmora::argonbox
