// North-American telephone numbers, for display and as a digit string.
#pragma once

#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class TeleNumObject : public Dispatchable<TeleNumObject> {
  public:
    static const ClassInfo& describe();

    // "(555) 123-4567" for 10 digits (11: the first one dropped), "123-4567" for 7, else unchanged.
    std::u16string DispTel(std::u16string MyString);
    // Area code, prefix and line as one digit string; 7 digits get the area code 415.
    std::u16string ParseNumber(std::u16string Nbr);
};

}  // namespace velmora
