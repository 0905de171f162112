// Cuts a text into the pieces between occurrences of a separator.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

class VELMORA_API ParsingObject : public Dispatchable<ParsingObject> {
  public:
    static const ClassInfo& describe();

    // An array (lower bound 0) of the n + 1 pieces around n separators, empty pieces included.
    // Compare: 0 case-sensitive, 1 case-insensitive. Error 6 beyond 32,767 separators, and for an empty
    // separator (which would be found at every step without consuming text).
    Variant StrSplit(std::u16string Text, std::u16string& SplitOn, std::int32_t& Compare);
};

}  // namespace velmora
