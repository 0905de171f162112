#include "Workspace.h"

#include <algorithm>

namespace velmora::argonbox {

static_assert(alignof(StreamState) == 1, "the state sits right after the key in guarded memory");

Workspace::Workspace() : m_fixed(kKeyBytes + sizeof(StreamState)) {}

void Workspace::ensure(std::optional<SecureBytes>& buffer, std::size_t bytes) {
    if (!buffer || buffer->bytes().size() < bytes) {
        buffer.reset();
        buffer.emplace(bytes);
    }
}

std::span<const std::uint8_t> Workspace::password(std::u16string_view text) {
    ensure(m_password, text.size() * 3);  // a UTF-16 unit never takes more than 3 UTF-8 bytes
    return m_password->bytes().first(SecureBytes::writeUtf8(text, m_password->bytes()));
}

void Workspace::holdKey(std::span<const std::uint8_t> key) {
    std::copy_n(key.begin(), kKeyBytes, m_fixed.bytes().begin());
}

std::span<const std::uint8_t, kKeyBytes> Workspace::key() const noexcept {
    return m_fixed.bytes().first<kKeyBytes>();
}

StreamState& Workspace::stream() noexcept {
    return *reinterpret_cast<StreamState*>(m_fixed.bytes().data() + kKeyBytes);
}

std::span<std::uint8_t> Workspace::chunk(std::size_t bytes) {
    ensure(m_chunk, bytes);
    return m_chunk->bytes().first(bytes);
}

void Workspace::wipe() noexcept {
    for (SecureBytes* buffer : {&m_fixed, m_password ? &*m_password : nullptr, m_chunk ? &*m_chunk : nullptr})
        if (buffer) sodium_memzero(buffer->bytes().data(), buffer->bytes().size());
    if (m_chunk && m_chunk->bytes().size() > kKeptChunkBytes) m_chunk.reset();
}

}  // namespace velmora::argonbox
