// Encrypted strings as text: two hexadecimal digits per byte, in byte order.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Upper-case digits, no separators.
std::u16string toHexText(std::span<const std::uint8_t> bytes);

// Reads pairs of digits (either case) from the start. A pair that is not a hexadecimal number is error
// 13; a text of odd length fails on its last digit with error 9, since it has no byte to go to.
std::vector<std::uint8_t> fromHexText(std::u16string_view text);

}  // namespace velmora
