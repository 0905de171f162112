#include "HostQueries.h"

namespace velmora {

const HostQueries& platformQueries() {
    static const HostQueries queries{
        &GetVersionExA,    &GetTempPathA, &GetWindowsDirectoryA, &GetSystemDirectoryA, &GetComputerNameA,
        &SetComputerNameA, &GetUserNameA, &GetLocaleInfoA,       &GetSystemInfo,       &GlobalMemoryStatus};
    return queries;
}

}  // namespace velmora
