// Procedures both programs' dialogs share.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/ListControl.h"

namespace velmora::mPublic {

// Appends text to list as a new entry with itemValue stored beside it; returns true.
bool fillList(ListControl& list, std::u16string_view text, std::int16_t itemValue);

}  // namespace velmora::mPublic
