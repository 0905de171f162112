// The platform calls SystemObject makes, gathered in one table so that tests can feed it version records
// it cannot get from this machine and count how often a cached property asks.
#pragma once

#include "platform/locale.h"
#include "platform/sysinfo.h"
#include "platform/systeminfo.h"
#include "platform/tempfiles.h"
#include "platform/version.h"

namespace velmora {

struct HostQueries {
    BOOL (*getVersionEx)(LPOSVERSIONINFOA info);
    DWORD (*getTempPath)(DWORD size, LPSTR buffer);
    UINT (*getWindowsDirectory)(LPSTR buffer, UINT size);
    UINT (*getSystemDirectory)(LPSTR buffer, UINT size);
    BOOL (*getComputerName)(LPSTR buffer, LPDWORD size);
    BOOL (*setComputerName)(LPCSTR name);
    BOOL (*getUserName)(LPSTR buffer, LPDWORD size);
    int (*getLocaleInfo)(LCID locale, LCTYPE type, LPSTR buffer, int size);
    void (*getSystemInfo)(LPSYSTEM_INFO info);
    void (*globalMemoryStatus)(LPMEMORYSTATUS status);
};

// The real platform's calls.
const HostQueries& platformQueries();

}  // namespace velmora
