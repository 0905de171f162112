// From the text of a suite path to the POSIX path of the file it names.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Checks the path text (paths.h: checkSuitePath), maps the drive, and replaces short (8.3) components
// that do not exist under that name by the long names they stand for. False with the last error set.
bool resolveSuitePath(std::string_view suitePath, std::string& nativePath);

}  // namespace velmora
