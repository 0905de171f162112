#include "filesearch.h"

#include "platform/find.h"
#include "runtime/text.h"

namespace velmora {

bool fileFound(std::u16string_view path) {
    if (path.empty() || path.find_first_of(u"*?") != std::u16string_view::npos) return false;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(toUtf8(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace velmora
