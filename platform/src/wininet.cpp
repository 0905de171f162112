#include "platform/wininet.h"

#include <gio/gio.h>

BOOL InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved) {
    if (dwReserved != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The default monitor is a process-wide singleton owned by GIO: not to be unreferenced.
    GNetworkMonitor* monitor = g_network_monitor_get_default();
    const bool available = monitor && g_network_monitor_get_network_available(monitor);
    if (lpdwFlags)
        *lpdwFlags = available ? (INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED)
                               : INTERNET_CONNECTION_OFFLINE;
    return available ? TRUE : FALSE;
}
