// The enumerations the help library publishes (through the empty class HelpEnums): the tooltip control's
// window styles, title icons, delay kinds and tool flags, and where Activate puts a tooltip.
#pragma once

#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/exports.h"

namespace velmora {

enum TOOLTIP_STYLE : std::int32_t { SIMPLE = 1, BALLOON = 0x40, NOANIMATION = 0x10, NOFADE = 0x20 };
enum ICON : std::int32_t { NONE = 0, INFO = 1, WARN = 2, CRITICAL = 3 };
enum DELAYTIME : std::int32_t { AUTOMATIC = 0, RESHOW = 1, AUTOPOPUP = 2, INITIAL = 3 };
enum BEHAVIOR : std::int32_t {
    ABSOLUTE_POSITIONING = 0x80,
    CENTER_POSITIONING = 2,
    RIGHT_TO_LEFT_READING = 4,
    TRANSPARENT = 0x100,
    TRACKING = 0x20,
    NON_TRACKING = 0x10,
};
enum ACTIVATION_DIRECTION : std::int32_t {
    ACTIVATION_LEFT = 0,
    ACTIVATION_RIGHT = 1,
    ACTIVATION_CENTER = 2,
    ACTIVATION_CUSTOM = 3,
};

// Creatable and memberless: it exists so that clients can name the enumerations.
class VELMORA_API HelpEnums : public Dispatchable<HelpEnums> {
  public:
    static const ClassInfo& describe();
};

}  // namespace velmora
