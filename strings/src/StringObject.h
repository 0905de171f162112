// Text helpers: fixed-length and zero padding, null handling and a readable file size.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class StringObject : public Dispatchable<StringObject> {
  public:
    static const ClassInfo& describe();

    // "" for Null, otherwise the value's text form.
    std::u16string NoNull(Variant strVal);
    // Null for a text that is blank once trimmed, otherwise the text unchanged.
    Variant NoZero(std::u16string str);
    // The text padded with NULs to Length characters; error 3 when it is longer.
    std::u16string FixLength(std::u16string Data, std::int16_t& Length);
    // The text with "0"s in front up to Length characters; error 3 when it is longer.
    std::u16string AddZeros(std::u16string& strData, std::int16_t& Length);
    // The text before the first NUL.
    std::u16string TrimNull(std::u16string& str);
    // "1,000 b", "1.465 Mb", ...; "" for anything that is not a size.
    std::u16string FormatSize(Variant Size);
};

}  // namespace velmora
