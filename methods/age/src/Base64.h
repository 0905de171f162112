// The header's base64: the standard alphabet without padding, and only the one canonical spelling of each
// value, so that a header has exactly one text (its MAC covers that text).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ageseal {

std::string toBase64(std::span<const std::uint8_t> bytes);

// Nothing for a character outside the alphabet, padding, a length no byte count gives, or unused low bits
// that are not zero.
std::optional<std::vector<std::uint8_t>> fromBase64(std::string_view text);

// The armour's base64 (standard alphabet, padded); nothing for anything but its canonical spelling.
std::optional<std::vector<std::uint8_t>> fromPaddedBase64(std::string_view text);

}  // namespace velmora::ageseal
