// The Tracebook type library: LogObject with the identifiers clients bind to, and LogType.
#pragma once

#include <cstdint>
#include <vector>

#include "component/ClassTable.h"

namespace velmora {

enum LogType : std::int32_t {
    Info = 0,
    Warning = 1,
    CriticalError = 2,
};

}  // namespace velmora

namespace velmora::tracebook {

inline constexpr char16_t kLibraryName[] = u"Tracebook";
inline constexpr char16_t kHelpString[] = u"Zu - Application Logging Engine";

inline constexpr char16_t kClsidLogObject[] = u"{3EF7C6D0-7EB8-4670-AB62-022550C0064F}";
inline constexpr char16_t kIidLogObject[] = u"{096F4B79-725D-4E70-BE9E-26EDE1E09C78}";  // _LogObject

const ClassTable& classTable();

}  // namespace velmora::tracebook
