// The log file: one line appended per call, the file opened, written, flushed and closed each time (no
// handle is kept), discarded first when it has reached the size limit.
//
// The file is opened with read sharing only, so a second writer at the same moment is refused: the
// append then retries for up to kShareRetry, so two programs logging at once both keep their lines. An
// empty path, a folder or a file that cannot be written loses the line silently.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::chrono::milliseconds kShareRetry{2000};

// Appends bytes (nothing for none); false when the line was lost.
bool appendLogLine(const std::string& path, std::string_view bytes, std::int32_t maxFileSize);

}  // namespace velmora
