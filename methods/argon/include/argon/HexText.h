// Encrypted strings as text: two hexadecimal digits per byte, in byte order, without separators.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::argonbox {

// Upper-case digits.
std::u16string toHexText(std::span<const std::uint8_t> bytes);

// Digits in either case. A text of odd length is error 9 (its last digit has no byte to go to), a
// character that is not a hexadecimal digit error 13, as the suite's other method answers them.
std::vector<std::uint8_t> fromHexText(std::u16string_view text);

}  // namespace velmora::argonbox
