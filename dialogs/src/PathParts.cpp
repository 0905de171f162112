#include "PathParts.h"

namespace velmora {

PathParts splitPath(std::u16string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == u':') {
        parts.drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const std::size_t slash = path.find_last_of(u'\\');
    const std::size_t nameStart = slash == std::u16string_view::npos ? 0 : slash + 1;
    std::u16string_view name = path.substr(nameStart);
    const std::size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos) {
        parts.extension = name.substr(dot);
        name = name.substr(0, dot);
    }
    parts.directory = path.substr(0, nameStart);
    parts.name = name;
    if (parts.extension.empty() && !parts.name.empty()) {
        parts.directory = joinDirectory(parts.directory + parts.name);
        parts.name.clear();
    }
    return parts;
}

std::u16string joinDirectory(std::u16string_view directory) {
    std::u16string result(directory);
    if (!result.empty() && result.back() != u'\\') result.push_back(u'\\');
    return result;
}

}  // namespace velmora
