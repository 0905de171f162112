// The format's text armour, read only: "-----BEGIN AGE ENCRYPTED FILE-----", the file in padded base64 in
// lines of 64 columns ending with a shorter or full one, "-----END AGE ENCRYPTED FILE-----". Lines may end
// with CR LF; white space may follow the end line.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velmora::ageseal {

constexpr std::string_view kArmorBegin = "-----BEGIN AGE ENCRYPTED FILE-----";

bool isArmored(std::span<const std::uint8_t> start) noexcept;

// The binary file the armour holds; WrongPasswordOrDamaged when it breaks the rules above.
std::vector<std::uint8_t> dearmor(std::span<const std::uint8_t> text);

}  // namespace velmora::ageseal
