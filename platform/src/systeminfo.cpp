// Names, folders, ids and time of the running system.
#include "platform/systeminfo.h"

#include "platform/paths.h"
#include "textout.h"

#include <pwd.h>
#include <sched.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string computerName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || !host[0]) return "LOCALHOST";
    std::string name(host);
    name = name.substr(0, name.find('.'));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name.substr(0, MAX_COMPUTERNAME_LENGTH);
}

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return std::to_string(geteuid());
}

// A folder of drive C: that the suite expects to exist; created on demand.
UINT systemFolder(const char* suitePath, LPSTR buffer, UINT size) {
    const std::string native = velmora::toNativePath(suitePath);
    std::error_code ec;
    if (native.empty() || (!std::filesystem::create_directories(native, ec) && ec)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return velmora::copyOut(suitePath, buffer, size);
}

}  // namespace

BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    if (!lpBuffer || !nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = computerName();
    const DWORD result = velmora::copyOut(name, lpBuffer, *nSize);
    *nSize = result;
    if (result > name.size()) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    return TRUE;
}

BOOL SetComputerNameA(LPCSTR) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
    if (!pcbBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = userName();
    const DWORD result = velmora::copyOut(name, lpBuffer, *pcbBuffer);
    if (result > name.size()) {
        *pcbBuffer = result;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *pcbBuffer = result + 1;
    return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return systemFolder("C:\\WINDOWS", lpBuffer, uSize);
}

UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return systemFolder("C:\\WINDOWS\\SYSTEM32", lpBuffer, uSize);
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(gettid());
}

DWORD GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const auto ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<DWORD>(ms);
}

void Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) pause();
    }
    timespec left{static_cast<time_t>(dwMilliseconds / 1000),
                  static_cast<long>(dwMilliseconds % 1000) * 1000000};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
