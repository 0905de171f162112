// The context identifiers of the suite's help file (Help.chm, the [MAP] of help/chm/Help.hhp): one topic
// per window, for F1 and HelpTopic.TopicID.
#pragma once

#include <cstdint>

namespace velmora::helpcontext {

constexpr std::int32_t kWelcome = 1000;
constexpr std::int32_t kEncrypt = 1010;    // frmEncrypt
constexpr std::int32_t kDecrypt = 1020;    // frmDecrypt
constexpr std::int32_t kEraser = 1030;     // the eraser's frmMain
constexpr std::int32_t kProgress = 1040;   // frmProgressBar
constexpr std::int32_t kBugReport = 1050;  // the bug-report dialog

}  // namespace velmora::helpcontext
