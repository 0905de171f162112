#include "DerivedKey.h"

#include <string.h>  // explicit_bzero

namespace velmora {

DerivedKey::DerivedKey(std::u16string_view password) noexcept {
    for (std::size_t i = 0; i < password.size() && 2 * i < kBytes; ++i) {
        m_bytes[2 * i] = static_cast<std::uint8_t>(password[i] & 0xFF);
        m_bytes[2 * i + 1] = static_cast<std::uint8_t>(password[i] >> 8);
    }
}

DerivedKey::~DerivedKey() {
    explicit_bzero(m_bytes.data(), m_bytes.size());
}

}  // namespace velmora
