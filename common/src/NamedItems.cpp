#include "common/NamedItems.h"

#include <sys/stat.h>

#include "platform/paths.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr char16_t kFolderMark[] = u" (folder)";

bool namesFolder(const std::u16string& path) {
    struct stat st {};
    const std::string native = toNativePath(toUtf8(path));
    return !native.empty() && lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The last name of a path, whichever separator it uses; a trailing separator does not count.
std::u16string lastName(std::u16string path) {
    while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')) path.pop_back();
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<NamedItem> namedItems(const std::vector<std::u16string>& arguments, std::size_t first) {
    std::vector<NamedItem> items;
    for (std::size_t i = first; i < arguments.size(); ++i)
        items.push_back({arguments[i], namesFolder(arguments[i])});
    return items;
}

std::u16string itemsSummary(const std::vector<NamedItem>& items) {
    if (items.empty()) return {};
    std::u16string summary = lastName(items.front().path);
    if (items.front().folder) summary += kFolderMark;
    if (items.size() > 1) summary += u" and " + fromUtf8(std::to_string(items.size() - 1)) + u" more";
    return summary;
}

std::u16string itemLine(const NamedItem& item) {
    return item.folder ? item.path + kFolderMark : item.path;
}

std::vector<std::u16string> itemLines(const std::vector<NamedItem>& items, std::size_t shown) {
    std::vector<std::u16string> lines;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i) lines.push_back(itemLine(items[i]));
    if (items.size() > shown)
        lines.push_back(u"and " + fromUtf8(std::to_string(items.size() - shown)) + u" more");
    return lines;
}

}  // namespace velmora
