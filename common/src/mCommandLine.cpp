// The program-wide argument list behind the command-line module.
#include "common/mCommandLine.h"

#include "common/CommandLine.h"

namespace velmora::mCommandLine {

namespace {
CommandLine& theCommandLine() {
    static CommandLine commandLine;
    return commandLine;
}
}  // namespace

void setProcessArguments(int argc, const char* const* argv) {
    theCommandLine().setProcessArguments(processArguments(argc, argv));
}

const std::vector<std::u16string>& parseCommandLine(std::u16string_view text) {
    theCommandLine().parse(text);
    return theCommandLine().arguments();
}

std::int32_t argumentCount() {
    return theCommandLine().count();
}

std::u16string argument(std::int32_t index) {
    return theCommandLine().argument(index);
}

}  // namespace velmora::mCommandLine
