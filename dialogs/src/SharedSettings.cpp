#include "SharedSettings.h"

namespace velmora {

SharedSettings& sharedSettings() {
    thread_local SharedSettings settings;
    return settings;
}

}  // namespace velmora
