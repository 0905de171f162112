#include "DerivedKeys.h"

#include <sodium.h>

#include <algorithm>

#include "StreamKey.h"

namespace velmora::argonbox {
namespace {

bool samePassword(const SecureBytes& kept, std::span<const std::uint8_t> password) {
    return kept.bytes().size() == password.size() &&
           sodium_memcmp(kept.bytes().data(), password.data(), password.size()) == 0;
}

SecureBytes copyOf(std::span<const std::uint8_t> bytes) {
    SecureBytes copy(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.bytes().begin());
    return copy;
}

}  // namespace

const SecureBytes& DerivedKeys::forSealing(std::span<const std::uint8_t> password,
                                           const Parameters& parameters, ContainerHeader& header) {
    for (const Entry& entry : m_entries)
        if (entry.drawnHere && entry.header.parameters == parameters &&
            samePassword(entry.password, password)) {
            header = entry.header;
            return entry.key;
        }
    header = ContainerHeader{parameters, {}};
    requireSodium();
    randombytes_buf(header.salt.data(), header.salt.size());
    return derive(password, header, true);
}

const SecureBytes& DerivedKeys::forOpening(std::span<const std::uint8_t> password,
                                           const ContainerHeader& header) {
    for (const Entry& entry : m_entries)
        if (entry.header.salt == header.salt &&
            entry.header.parameters.opsLimit == header.parameters.opsLimit &&
            entry.header.parameters.memoryKiB == header.parameters.memoryKiB &&
            samePassword(entry.password, password))
            return entry.key;
    return derive(password, header, false);
}

const SecureBytes& DerivedKeys::derive(std::span<const std::uint8_t> password, const ContainerHeader& header,
                                       bool drawnHere) {
    SecureBytes key = streamKey(password, header);  // may fail; nothing is kept then
    ++m_derivations;
    if (m_entries.size() >= kMaxEntries) m_entries.pop_front();
    m_entries.push_back(Entry{copyOf(password), header, std::move(key), drawnHere});
    return m_entries.back().key;
}

}  // namespace velmora::argonbox
