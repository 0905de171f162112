#include "Workspace.h"

#include <sodium.h>

namespace velmora::ageseal {

Workspace::Workspace() : m_fixed(kKeysBytes + 2 * kChunkBytes) {}

std::span<const std::uint8_t> Workspace::password(std::u16string_view text) {
    const std::size_t most = text.size() * 3;  // a UTF-16 unit never takes more than 3 UTF-8 bytes
    if (!m_password || m_password->bytes().size() < most) {
        m_password.reset();
        m_password.emplace(most);
    }
    return m_password->bytes().first(argonbox::SecureBytes::writeUtf8(text, m_password->bytes()));
}

void Workspace::wipe() noexcept {
    sodium_memzero(m_fixed.bytes().data(), m_fixed.bytes().size());
    if (m_password) sodium_memzero(m_password->bytes().data(), m_password->bytes().size());
}

}  // namespace velmora::ageseal
