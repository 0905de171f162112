// The application's current printer, which the print dialog starts from and updates: device, driver and
// port names and the device settings. Starts as the platform's default printer; one per process.
#pragma once

#include <string>

#include "ui/commdlg.h"

namespace velmora {

struct CurrentPrinter {
    std::string deviceName;
    std::string driverName = "winspool";
    std::string port;
    DEVMODEA settings{};
};

CurrentPrinter& currentPrinter();

}  // namespace velmora
