// Win32 file-name wildcard matching.
#pragma once

#include <string_view>

namespace velmora {

// Matches a name against a search pattern as Win32 FindFirstFile does (DOS semantics for '?', '*.' and
// '.*'), ignoring ASCII letter case.
bool matchesPattern(std::string_view pattern, std::string_view name);

}  // namespace velmora
