// Whether a directory search finds a file at a path: what CreateFileAss and RegSvr32 ask before they use
// a program or library path.
#pragma once

#include <string_view>

namespace velmora {

// True when path names an existing file (not a folder). An empty path or one with wildcards names no
// file, though a search for it would list whatever matches.
bool fileFound(std::u16string_view path);

}  // namespace velmora
