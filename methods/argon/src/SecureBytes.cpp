#include "argon/SecureBytes.h"

#include <sodium.h>

#include <algorithm>
#include <string>

#include "argon/MethodErrors.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora::argonbox {

void requireSodium() {
    static const int state = sodium_init();  // thread-safe, and 1 for every later call anyway
    if (state < 0) raiseMethodError(methodError::LibraryUnavailable);
}

SecureBytes::SecureBytes(std::size_t size) : m_size(size) {
    requireSodium();
    // sodium_malloc(0) may answer null: one byte is asked for at least.
    m_data = static_cast<std::uint8_t*>(sodium_malloc(std::max<std::size_t>(size, 1)));
    if (!m_data) raise(err::OutOfMemory);
    sodium_memzero(m_data, std::max<std::size_t>(size, 1));
}

SecureBytes::~SecureBytes() {
    if (m_data) sodium_free(m_data);  // zeroes before it frees
}

std::size_t SecureBytes::writeUtf8(std::u16string_view password, std::span<std::uint8_t> out) {
    // One code point at a time through the suite's own conversion: each piece fits the string's inline
    // buffer (at most 4 bytes), so nothing goes to the heap, and is wiped after it is copied.
    std::size_t length = 0;
    for (std::size_t i = 0; i < password.size(); ++i) {
        const bool pair = password[i] >= 0xD800 && password[i] <= 0xDBFF && i + 1 < password.size() &&
                          password[i + 1] >= 0xDC00 && password[i + 1] <= 0xDFFF;
        std::string piece = toUtf8(password.substr(i, pair ? 2 : 1));
        std::copy(piece.begin(), piece.end(), out.begin() + static_cast<std::ptrdiff_t>(length));
        length += piece.size();
        sodium_memzero(piece.data(), piece.size());
        if (pair) ++i;
    }
    return length;
}

SecureBytes SecureBytes::utf8Of(std::u16string_view password) {
    SecureBytes staging(password.size() * 3);  // a UTF-16 unit never takes more than 3 UTF-8 bytes
    const std::size_t length = writeUtf8(password, staging.bytes());
    SecureBytes result(length);
    std::copy_n(staging.m_data, length, result.m_data);
    return result;
}

}  // namespace velmora::argonbox
