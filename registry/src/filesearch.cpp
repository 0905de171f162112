#include "filesearch.h"

#include "platform/find.h"
#include "platform/owned.h"
#include "runtime/text.h"

namespace velmora {

bool fileFound(std::u16string_view path) {
    if (path.empty() || path.find_first_of(u"*?") != std::u16string_view::npos) return false;
    WIN32_FIND_DATAA found{};
    if (!OwnedFind(FindFirstFileA(toUtf8(path).c_str(), &found))) return false;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace velmora
