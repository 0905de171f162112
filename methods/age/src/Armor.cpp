#include "Armor.h"

#include <algorithm>
#include <string>

#include "Base64.h"
#include "argon/MethodErrors.h"

namespace velmora::ageseal {
namespace {

constexpr std::string_view kArmorEnd = "-----END AGE ENCRYPTED FILE-----";
constexpr std::size_t kColumns = 64;

[[noreturn]] void damaged() {
    argonbox::raiseMethodError(argonbox::methodError::WrongPasswordOrDamaged);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool isArmored(std::span<const std::uint8_t> start) noexcept {
    return start.size() >= kArmorBegin.size() &&
           std::equal(kArmorBegin.begin(), kArmorBegin.end(), start.begin());
}

std::vector<std::uint8_t> dearmor(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    auto nextLine = [&text](std::string_view& line) {
        if (text.empty()) return false;
        const std::size_t end = std::min(text.find('\n'), text.size());  // the end line may end the file
        line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        text.remove_prefix(std::min(end + 1, text.size()));
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || line != kArmorBegin) damaged();
    std::string base64;
    for (bool shortSeen = false;;) {
        if (!nextLine(line)) damaged();
        if (line == kArmorEnd) break;
        // Nothing may follow a short line but the end line.
        if (shortSeen || line.empty() || line.size() > kColumns) damaged();
        shortSeen = line.size() < kColumns;
        base64 += line;
    }
    if (!std::all_of(text.begin(), text.end(), isSpace)) damaged();
    const auto binary = fromPaddedBase64(base64);
    if (!binary || binary->empty()) damaged();
    return *binary;
}

}  // namespace velmora::ageseal
