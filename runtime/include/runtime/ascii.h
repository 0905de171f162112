// Letter case of ASCII letters only: names, keywords and extensions that compare the way the original does
// for the characters the suite uses. Other characters (UTF-8 bytes above 0x7F too) stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

constexpr char lowerAscii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char16_t lowerAscii(char16_t c) noexcept {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}
constexpr char upperAscii(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}
inline std::u16string lowerAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = lowerAscii(c);
    return out;
}
inline std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
}

}  // namespace velmora
