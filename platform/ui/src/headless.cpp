#include "ui/headless.h"

#include <cstdlib>

namespace velmora {

void useOffscreenWithoutDisplay() {
    const auto named = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value && *value;
    };
    if (!named("DISPLAY") && !named("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

}  // namespace velmora
