// The settings every CommonDialogObject of a thread shares: placement, shift and the owner window.
#pragma once

#include <cstdint>

namespace velmora {

struct SharedSettings {
    std::int32_t position = 0;
    std::int32_t shift = 0;
    std::int32_t owner = 0;  // the last positive window handle given to a Show... method
};

SharedSettings& sharedSettings();

}  // namespace velmora
