// How both programs log an error: LogObject.Log through the log server. A program outlives its servers:
// when the server cannot be reached (it ended, it was killed) or fails the call, the entry goes to
// standard error as one line instead, and nothing is raised to the caller, which is often a handler
// that Qt called.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Object.h"

namespace velmora {

struct LogEntry {
    std::u16string description;
    std::u16string appName;
    std::u16string objectName;
    std::u16string routine;
    std::int32_t number = 0;
    bool displayMessage = true;
    std::int32_t type = 2;  // LogType CriticalError
};

// Calls log.Log with the entry (SendEmail false). Returns whether the server took it.
bool logEntry(const ObjectRef& log, const LogEntry& entry) noexcept;

// The line written to standard error for an entry the server did not take (without line end).
std::string standardErrorLine(const LogEntry& entry, const std::u16string& why);

}  // namespace velmora
