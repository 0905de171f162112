#include "FilterList.h"

#include <cstdint>
#include <vector>

#include "runtime/text.h"

namespace velmora {
namespace {

// The NUL-separated parts; a last part without its NUL counts, an empty one ends the list.
std::vector<std::u16string_view> parts(std::u16string_view filter) {
    std::vector<std::u16string_view> result;
    while (!filter.empty()) {
        const std::size_t end = filter.find(u'\0');
        const std::u16string_view part = filter.substr(0, end);
        if (part.empty()) break;
        result.push_back(part);
        if (end == std::u16string_view::npos) break;
        filter.remove_prefix(end + 1);
    }
    return result;
}

}  // namespace

std::u16string appendFilterItem(std::u16string_view filter, std::u16string_view description,
                                std::u16string_view pattern) {
    std::u16string result(filter);
    result.append(description);
    result.push_back(u'\0');
    result.append(pattern);
    result.push_back(u'\0');
    return result;
}

std::u16string filterPair(std::u16string_view filter, std::int32_t index) {
    const auto list = parts(filter);
    if (index < 1 || static_cast<std::size_t>(index) * 2 > list.size()) return {};
    const std::size_t at = static_cast<std::size_t>(index - 1) * 2;
    std::u16string pair(list[at]);
    pair.push_back(u'\0');
    pair.append(list[at + 1]);
    return pair;
}

std::string platformFilter(std::u16string_view filter) {
    const auto list = parts(filter);
    std::string result;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
        result += toUtf8(list[i]);
        result.push_back('\0');
        result += toUtf8(list[i + 1]);
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

}  // namespace velmora
