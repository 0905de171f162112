// The GUI thread's event loop as the message-queue calls see it: whether anything waits, one pass, and a
// wait for work that dispatches nothing.
#pragma once

#include <chrono>
#include <optional>

#include "platform/win32types.h"

namespace velmora {

// GetQueueStatus for the GUI thread (see platform/queue.h); 0 elsewhere.
DWORD guiQueueStatus(UINT flags);
// One pass over whatever waits, without waiting; nothing off the GUI thread.
void guiProcessMessages();

// Blocks until the GUI thread's loop has work of a kind in mask (true) or the deadline passes (false),
// dispatching nothing. Off the GUI thread nothing ever arrives.
bool waitForQueueWork(UINT mask, std::optional<std::chrono::steady_clock::time_point> deadline);

}  // namespace velmora
