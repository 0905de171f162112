// How an object's long data operations report to their caller, for objects that tell both a handler
// object the caller passes in and their own event sinks (the encryption methods): RaiseProgress then the
// Progress event, RaiseError then the Error event. The error path ends the operation with its empty result:
// the error never reaches the caller as an exception, not even when the handler fails while told of it.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string_view>

#include "component/ComObject.h"
#include "component/EventSource.h"
#include "runtime/Error.h"

namespace velmora {

class OperationReports {
  public:
    explicit OperationReports(EventSource& events) : m_events(events) {}

    // body's result, or `empty` after reporting what it raised (out of memory as error 7).
    template <class Result, class Body>
    Result guarded(std::u16string_view operation, const ObjectRef& handler, Result empty, Body&& body) {
        try {
            return body();
        } catch (const RuntimeError& failure) {
            reportError(failure, operation, handler);
        } catch (const std::bad_alloc&) {
            reportError(RuntimeError(err::OutOfMemory), operation, handler);
        } catch (const std::length_error&) {
            reportError(RuntimeError(err::OutOfMemory), operation, handler);
        }
        return empty;
    }

    // The error's own source, or "Main:" and the operation when it has none.
    void reportError(const RuntimeError& error, std::u16string_view operation, const ObjectRef& handler);
    void reportProgress(std::int32_t percent, const ObjectRef& handler);

  private:
    EventSource& m_events;
};

}  // namespace velmora
