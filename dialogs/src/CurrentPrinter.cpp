#include "CurrentPrinter.h"

#include <algorithm>
#include <cstring>

namespace velmora {

CurrentPrinter& currentPrinter() {
    static CurrentPrinter printer = [] {
        CurrentPrinter initial;
        initial.deviceName = defaultPrinter();
        const std::size_t count = std::min<std::size_t>(initial.deviceName.size(), CCHDEVICENAME - 1);
        std::memcpy(initial.settings.dmDeviceName, initial.deviceName.data(), count);
        initial.settings.dmSize = sizeof(DEVMODEA);
        initial.settings.dmFields = DM_ORIENTATION | DM_COPIES | DM_DUPLEX;
        initial.settings.dmOrientation = DMORIENT_PORTRAIT;
        initial.settings.dmCopies = 1;
        initial.settings.dmDuplex = DMDUP_SIMPLEX;
        return initial;
    }();
    return printer;
}

}  // namespace velmora
