#include "argon/HexText.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>

#include "runtime/Error.h"

namespace velmora::argonbox {

std::u16string toHexText(std::span<const std::uint8_t> bytes) {
    std::string digits(bytes.size() * 2 + 1, '\0');
    sodium_bin2hex(digits.data(), digits.size(), bytes.data(), bytes.size());
    digits.pop_back();
    std::u16string text(digits.size(), u'0');
    std::transform(digits.begin(), digits.end(), text.begin(),
                   [](char c) { return static_cast<char16_t>(c >= 'a' ? c - 'a' + 'A' : c); });
    return text;
}

std::vector<std::uint8_t> fromHexText(std::u16string_view text) {
    std::string digits(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7F || !std::isxdigit(static_cast<unsigned char>(text[i]))) raise(err::TypeMismatch);
        digits[i] = static_cast<char>(text[i]);
    }
    if (digits.size() % 2 != 0) raise(err::SubscriptOutOfRange);
    std::vector<std::uint8_t> bytes(digits.size() / 2);
    std::size_t length = 0;
    if (sodium_hex2bin(bytes.data(), bytes.size(), digits.data(), digits.size(), nullptr, &length, nullptr) !=
            0 ||
        length != bytes.size())
        raise(err::TypeMismatch);
    return bytes;
}

}  // namespace velmora::argonbox
