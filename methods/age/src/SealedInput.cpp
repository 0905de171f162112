#include "SealedInput.h"

#include <algorithm>

#include "Armor.h"

namespace velmora::ageseal {

std::size_t PrefixedSource::read(std::span<std::uint8_t> buffer) {
    const std::size_t fromPrefix = std::min(buffer.size(), m_prefix.size() - m_position);
    std::copy_n(m_prefix.begin() + static_cast<std::ptrdiff_t>(m_position), fromPrefix, buffer.begin());
    m_position += fromPrefix;
    return fromPrefix == buffer.size() ? fromPrefix : fromPrefix + m_rest.read(buffer.subspan(fromPrefix));
}

SealedInput::SealedInput(argonbox::ByteSource& source) {
    std::vector<std::uint8_t> start(kArmorBegin.size());
    start.resize(source.read(start));
    if (isArmored(start)) {
        // The rest of it in pieces of a megabyte, then decoded.
        for (std::size_t had = start.size();; had = start.size()) {
            start.resize(had + (1 << 20));
            const std::size_t got = source.read(std::span(start).subspan(had));
            start.resize(had + got);
            if (got == 0) break;
        }
        m_dearmored = dearmor(start);
        m_memory.emplace(m_dearmored);
        m_start.emplace(readStart(*m_memory));
        m_payload.emplace(std::move(m_start->rest), *m_memory);
        return;
    }
    m_source.emplace(std::move(start), source);
    m_start.emplace(readStart(*m_source));
    m_payload.emplace(std::move(m_start->rest), *m_source);
}

std::uint64_t SealedInput::payloadSize() const noexcept {
    const std::uint64_t whole = m_memory ? m_dearmored.size() : m_source->size();
    return whole > m_start->headerBytes ? whole - m_start->headerBytes : 0;
}

}  // namespace velmora::ageseal
