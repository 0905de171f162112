#include "common/ApplicationLog.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "component/calls.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

std::string oneLine(const std::u16string& text) {
    std::string bytes = toUtf8(text);
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return bytes;
}

}  // namespace

std::string standardErrorLine(const LogEntry& entry, const std::u16string& why) {
    return oneLine(entry.appName) + ": " + oneLine(entry.objectName) + "." + oneLine(entry.routine) + ": " +
           oneLine(entry.description) + " (error " + std::to_string(entry.number) +
           "; not logged: " + oneLine(why) + ")";
}

bool logEntry(const ObjectRef& log, const LogEntry& entry) noexcept {
    std::u16string why;
    try {
        Variant display(entry.displayMessage), sendEmail(false), type(entry.type);
        call(log, u"Log", entry.description, entry.appName, entry.objectName, entry.routine, entry.number,
             display, sendEmail, type);
        return true;
    } catch (const RuntimeError& error) {
        why = error.description();
    } catch (const std::exception& error) {
        why = fromUtf8(error.what());
    }
    try {
        std::fprintf(stderr, "%s\n", standardErrorLine(entry, why).c_str());
        std::fflush(stderr);
    } catch (...) {
        // Out of memory for the line: there is nowhere left to say it.
    }
    return false;
}

}  // namespace velmora
