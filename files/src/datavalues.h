// The memory images GetData and PutData move: one value, little-endian, of the eight scalar types
// (Integer 2, Long 4, Single 4, Double 8, Currency 8, Date 8, Boolean 2 as 0 / -1, Byte 1). Text is
// stored as its UTF-8 bytes and read back as many bytes as the text has characters; a byte array as its
// bytes, read back into as many bytes as it holds.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/Variant.h"

namespace velmora {

// How many bytes a read into `data` takes; 0 when data has no value or a type that is not moved.
std::size_t readSizeFor(const Variant& data);
// Data from the bytes read, keeping data's type (a short read leaves the rest zero).
void decodeInto(Variant& data, std::span<const std::uint8_t> bytes);
// The bytes to write for `data`; empty when there is nothing to write.
std::vector<std::uint8_t> encodeValue(const Variant& data);

}  // namespace velmora
