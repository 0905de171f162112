#include "argon/ByteArguments.h"

#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::argonbox {

std::optional<std::span<const std::uint8_t>> byteArrayOf(const Variant& value) {
    if (!value.isArray() || value.type() != VarType::Byte) raise(err::TypeMismatch);
    if (!value.isAllocatedArray()) return std::nullopt;
    const SafeArray& array = value.arrayRef();
    if (array.dimensions() != 1) raise(err::TypeMismatch);
    return std::span(array.bytes());
}

std::u16string textOf(std::span<const std::uint8_t> utf8) {
    return fromUtf8(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace velmora::argonbox
