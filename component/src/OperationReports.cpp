#include "component/OperationReports.h"

#include <exception>
#include <string>

#include "component/calls.h"

namespace velmora {

void OperationReports::reportError(const RuntimeError& error, std::u16string_view operation,
                                   const ObjectRef& handler) {
    Variant number(error.number());
    Variant description(error.description());
    Variant source(error.source().empty() ? u"Main:" + std::u16string(operation) : error.source());
    // The report is the end of the error path: a handler failing on it (a client gone with its process)
    // must not carry an error to the caller after all.
    try {
        if (handler) call(handler, u"RaiseError", number, description, source);
    } catch (const std::exception&) {
    }
    m_events.fireIgnoringErrors(u"Error", number, description, source);
}

void OperationReports::reportProgress(std::int32_t percent, const ObjectRef& handler) {
    Variant value(percent);
    if (handler) call(handler, u"RaiseProgress", value);
    m_events.fire(u"Progress", value);
}

}  // namespace velmora
