// The command-line module both programs share: one argument list for the life of the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::mCommandLine {

// main() hands its argv over first; parseCommandLine() with empty text then reads it.
void setProcessArguments(int argc, const char* const* argv);

// Splits text (empty: the process's command line, with the program's path as element 0; see
// CommandLine.h), keeps the list and its count, and returns the list.
const std::vector<std::u16string>& parseCommandLine(std::u16string_view text = {});

std::int32_t argumentCount();
// Error 9 for an index outside the list.
std::u16string argument(std::int32_t index);

}  // namespace velmora::mCommandLine
