// Processor and memory figures of the machine, in the original's 32-bit records.
#pragma once

#include "platform/win32types.h"

constexpr WORD PROCESSOR_ARCHITECTURE_INTEL = 0;
constexpr WORD PROCESSOR_ARCHITECTURE_AMD64 = 9;
constexpr DWORD PROCESSOR_INTEL_PENTIUM = 586;
constexpr DWORD PROCESSOR_AMD_X8664 = 8664;

// The 32-bit layout: the address fields and the processor mask are 32 bits wide, as callers read them.
struct SYSTEM_INFO {
    DWORD dwOemId;  // the processor architecture in its low word
    DWORD dwPageSize;
    DWORD lpMinimumApplicationAddress;
    DWORD lpMaximumApplicationAddress;
    DWORD dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    DWORD dwReserved;  // processor level and revision, 0 here
};
using LPSYSTEM_INFO = SYSTEM_INFO*;

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORD dwTotalPhys;
    DWORD dwAvailPhys;
    DWORD dwTotalPageFile;
    DWORD dwAvailPageFile;
    DWORD dwTotalVirtual;
    DWORD dwAvailVirtual;
};
using LPMEMORYSTATUS = MEMORYSTATUS*;

// From the kernel: page size, processors this process may run on (the mask shows the first 32), the
// architecture; allocation granularity 65536 as on the original; the 32-bit application address range.
void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);
// From the kernel's memory figures (physical: total and available; page file: physical plus swap;
// virtual: the 2 GB user space of a 32-bit process). Byte counts above 4 GB - 1 saturate at 0xFFFFFFFF,
// as the original's 32-bit call reports on a machine with more memory; dwMemoryLoad is the used percent.
// dwLength is set to sizeof(MEMORYSTATUS).
void GlobalMemoryStatus(LPMEMORYSTATUS lpBuffer);
