#include "platform/sysinfo.h"

#include <sched.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

DWORD saturated(std::uint64_t bytes) {
    return static_cast<DWORD>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
}

// A 32-bit process's user space: 64 KB to 2 GB - 64 KB.
constexpr DWORD kMinimumAddress = 0x00010000;
constexpr DWORD kMaximumAddress = 0x7FFEFFFF;
constexpr std::uint64_t kUserSpace = 0x7FFE0000;

}  // namespace

void GetSystemInfo(LPSYSTEM_INFO info) {
    if (!info) return;
    std::memset(info, 0, sizeof *info);
#if defined(__x86_64__) || defined(__i386__)
    info->dwOemId = PROCESSOR_ARCHITECTURE_INTEL;
    info->dwProcessorType = PROCESSOR_INTEL_PENTIUM;
#else
    info->dwOemId = 0xFFFF;  // PROCESSOR_ARCHITECTURE_UNKNOWN
#endif
    const long page = sysconf(_SC_PAGESIZE);
    info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
    info->lpMinimumApplicationAddress = kMinimumAddress;
    info->lpMaximumApplicationAddress = kMaximumAddress;
    cpu_set_t set;
    CPU_ZERO(&set);
    DWORD count = 0;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        count = static_cast<DWORD>(CPU_COUNT(&set));
        for (int cpu = 0; cpu < 32; ++cpu)
            if (CPU_ISSET(cpu, &set)) info->dwActiveProcessorMask |= DWORD{1} << cpu;
    }
    if (count == 0) {
        const long online = sysconf(_SC_NPROCESSORS_ONLN);
        count = online > 0 ? static_cast<DWORD>(online) : 1;
        info->dwActiveProcessorMask = count >= 32 ? 0xFFFFFFFFu : (DWORD{1} << count) - 1;
    }
    info->dwNumberOfProcessors = count;
    info->dwAllocationGranularity = 65536;
}

void GlobalMemoryStatus(LPMEMORYSTATUS status) {
    if (!status) return;
    std::memset(status, 0, sizeof *status);
    status->dwLength = sizeof(MEMORYSTATUS);
    struct sysinfo figures {};
    if (sysinfo(&figures) != 0) return;
    const std::uint64_t unit = figures.mem_unit ? figures.mem_unit : 1;
    const std::uint64_t totalPhys = figures.totalram * unit;
    // Available as the kernel counts it for new allocations: free plus buffers (page cache is not in
    // struct sysinfo; it is in MemAvailable, which /proc would give, but free + buffers errs low, safely).
    const std::uint64_t availPhys = (figures.freeram + figures.bufferram) * unit;
    const std::uint64_t totalSwap = figures.totalswap * unit;
    const std::uint64_t freeSwap = figures.freeswap * unit;
    status->dwMemoryLoad =
        totalPhys ? static_cast<DWORD>((totalPhys - std::min(availPhys, totalPhys)) * 100 / totalPhys) : 0;
    status->dwTotalPhys = saturated(totalPhys);
    status->dwAvailPhys = saturated(availPhys);
    status->dwTotalPageFile = saturated(totalPhys + totalSwap);
    status->dwAvailPageFile = saturated(availPhys + freeSwap);
    status->dwTotalVirtual = saturated(kUserSpace);
    status->dwAvailVirtual = saturated(kUserSpace);
}
