// Starting a process's server programs before its first objects of them. A program that knows which
// servers its run will use starts them as it starts itself, so that each server's own start (its GUI
// application, its display, its accessibility bus) runs beside the program's instead of one after the
// other inside its creations. Objects are still created when and in the order the program creates them:
// the first creation of a class finds its server running and is answered at once.
#pragma once

#include <span>
#include <string_view>

namespace velmora {

// Starts the registered server program of each class (by programmatic identifier) that creation would
// reach out of process, unless one already runs for this process. A class that is not registered, or
// whose program cannot be started, is skipped without a word: its creation then starts the program as
// ever and reports what goes wrong, when it goes wrong. A creation that finds the server started ahead
// already ended starts a fresh one.
void startServersAhead(std::span<const std::u16string_view> progIds) noexcept;

// Ends the servers started ahead that no creation has taken (a run that ended before it needed them).
// Those taken live as any server does, as long as the process holds their objects.
void endServersAhead() noexcept;

}  // namespace velmora
