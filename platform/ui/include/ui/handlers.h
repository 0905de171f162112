// Qt does not let an exception pass through its event loop. Every handler Qt calls for the suite (a
// click, a timer, a window procedure, a call from another process) runs through runHandler, so that an
// error the handler did not trap ends the program the platform's way instead of unwinding through Qt.
#pragma once

#include <QKeyEvent>
#include <exception>
#include <new>

#include "runtime/Error.h"

namespace velmora {

constexpr std::int32_t kInternalError = 51;

// The platform's report of an error that no handler trapped: a message box titled with the program's
// name reading "Run-time error '<number>':" and the error's text, the same on standard error; then the
// process ends with status 1.
[[noreturn]] void endWithErrorReport(const RuntimeError& error) noexcept;

// True for a Return, Enter or Escape that the server repeats because the key is held down: a window that
// opened meanwhile must not take it for the user's Ok or Cancel.
bool isHeldAnswerKey(const QKeyEvent& event);

// Runs handler(); an error it lets out ends the program with endWithErrorReport.
template <class Handler>
void runHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const RuntimeError& error) {
        endWithErrorReport(error);
    } catch (const std::bad_alloc&) {
        endWithErrorReport(RuntimeError(err::OutOfMemory));
    } catch (const std::exception&) {
        endWithErrorReport(RuntimeError(kInternalError, u"Internal error", {}));
    }
}

}  // namespace velmora
