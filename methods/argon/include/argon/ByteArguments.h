// The byte arguments and results of a method's byte and string operations.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace velmora::argonbox {

// The elements of a byte-array argument; nothing for an array without bounds. Anything but a
// one-dimensional byte array is error 13.
std::optional<std::span<const std::uint8_t>> byteArrayOf(const Variant& value);

// A string's bytes as they are (UTF-8 text to encrypt).
inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Plain bytes as text: UTF-8 read as the suite's conversion reads it.
std::u16string textOf(std::span<const std::uint8_t> utf8);

}  // namespace velmora::argonbox
