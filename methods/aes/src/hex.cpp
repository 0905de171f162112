#include "hex.h"

#include "runtime/Error.h"

namespace velmora {
namespace {

int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    raise(err::TypeMismatch);
}

}  // namespace

std::u16string toHexText(std::span<const std::uint8_t> bytes) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text(bytes.size() * 2, u'0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0xF];
    }
    return text;
}

std::vector<std::uint8_t> fromHexText(std::u16string_view text) {
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int value = digitValue(text[i]);
        if (i + 1 < text.size()) value = value * 16 + digitValue(text[i + 1]);
        if (i / 2 >= bytes.size()) raise(err::SubscriptOutOfRange);
        bytes[i / 2] = static_cast<std::uint8_t>(value);
    }
    return bytes;
}

}  // namespace velmora
