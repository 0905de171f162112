#include "pathtext.h"

#include "platform/charcase.h"
#include "platform/systeminfo.h"
#include "runtime/text.h"

namespace velmora::pathtext {
namespace {

constexpr std::u16string_view kSeparators = u"\\/";

bool startsAsUnc(std::u16string_view path) {
    return path.size() >= 2 && kSeparators.find(path[0]) != std::u16string_view::npos &&
           kSeparators.find(path[1]) != std::u16string_view::npos;
}

std::u16string localComputerName() {
    char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof buffer;
    if (!GetComputerNameA(buffer, &size)) return {};
    return fromUtf8(buffer);
}

}  // namespace

std::u16string title(std::u16string_view path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

std::u16string extension(std::u16string_view path) {
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos || dot + 1 == path.size()) return {};
    std::string text = toUtf8(path.substr(dot + 1));
    CharLowerA(text.data());
    return fromUtf8(text);
}

std::u16string directory(std::u16string_view path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    return cut == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, cut + 1));
}

std::u16string parentDirectory(std::u16string_view path) {
    const std::u16string folder = directory(path);
    if (folder.size() < 2) return {};
    const std::size_t before = folder.find_last_of(kSeparators, folder.size() - 2);
    return before == std::u16string::npos ? std::u16string() : folder.substr(before);
}

std::u16string drive(std::u16string_view path) {
    const std::size_t colon = path.find(u':');
    if (colon != std::u16string_view::npos) return std::u16string(path.substr(0, colon + 1));
    return startsAsUnc(path) ? u"OTH_COMPUTER" : u"NO_DRIVE";
}

std::u16string computerName(std::u16string_view path) {
    if (path.find(u':') != std::u16string_view::npos) return localComputerName();
    if (!startsAsUnc(path)) return u"NO_DRIVE";
    const std::u16string_view rest = path.substr(2);
    return std::u16string(rest.substr(0, rest.find_first_of(kSeparators)));
}

}  // namespace velmora::pathtext
