#include "Base64.h"

#include <sodium.h>

namespace velmora::ageseal {
namespace {

std::optional<std::vector<std::uint8_t>> decode(std::string_view text, int variant) {
    std::vector<std::uint8_t> bytes(text.size() / 4 * 3 + 3);
    std::size_t length = 0;
    // Without an end pointer libsodium refuses any character it did not decode, and it refuses non-zero
    // unused bits itself.
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, nullptr,
                          variant) != 0)
        return std::nullopt;
    bytes.resize(length);
    return bytes;
}

}  // namespace

std::string toBase64(std::span<const std::uint8_t> bytes) {
    const int variant = sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
    std::string text(sodium_base64_encoded_len(bytes.size(), variant), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes.data(), bytes.size(), variant);
    text.pop_back();  // the terminating zero
    return text;
}

std::optional<std::vector<std::uint8_t>> fromBase64(std::string_view text) {
    return decode(text, sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
}

std::optional<std::vector<std::uint8_t>> fromPaddedBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    return decode(text, sodium_base64_VARIANT_ORIGINAL);
}

}  // namespace velmora::ageseal
