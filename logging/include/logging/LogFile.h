// The log file: one line appended per call, the file opened, written, flushed and closed each time (no
// handle is kept), discarded first when it has reached the size limit.
//
// The file is opened with read sharing only, so a second writer at the same moment is refused: the
// append then retries for up to kShareRetry, so two programs logging at once both keep their lines. An
// empty path, a folder or a file that cannot be written loses the line silently.
//
// The log lives beside the program. Where this user may not write that folder (a system-wide install under
// /usr), logFileFor names the file of the same name in the user's state folder instead, so no line is lost.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::chrono::milliseconds kShareRetry{2000};

// Where the lines for the log file `path` (a suite path) go: `path` itself while this user may write its
// folder, or the file itself when it already exists; otherwise the file of the same name in
// $XDG_STATE_HOME/velmora (~/.local/state/velmora when unset), created with mode 0700. The kernel's answer
// for this process decides (so root writes beside the program, unless the file system is read-only).
std::string logFileFor(const std::string& path);

// Appends bytes (nothing for none); false when the line was lost.
bool appendLogLine(const std::string& path, std::string_view bytes, std::int32_t maxFileSize);

}  // namespace velmora
