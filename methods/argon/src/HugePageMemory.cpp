#include "argon/HugePageMemory.h"

#include <sodium.h>
#include <sys/mman.h>

#include <system_error>

namespace velmora::argonbox {

// Below one huge page the mapping is taken as it is; above, one page more leaves room to align it.
HugePageMemory::HugePageMemory(std::size_t bytes)
    : m_bytes(bytes), m_mapped(bytes < kHugePage ? bytes : bytes + kHugePage) {
    if (bytes == 0 || m_mapped < bytes) return;
    void* mapped = mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return;
    m_mapping = static_cast<std::uint8_t*>(mapped);
    m_data = m_mapping;
    if (m_mapped == m_bytes) return;
    const auto address = reinterpret_cast<std::uintptr_t>(m_mapping);
    m_data = m_mapping + (-address & (kHugePage - 1));
    madvise(m_data, m_bytes, MADV_HUGEPAGE);  // advice only: small pages serve too
    if (m_bytes >= kMappedAhead) mapAhead();
}

HugePageMemory::~HugePageMemory() {
    if (m_mapper.joinable()) m_mapper.join();
    if (!m_mapping) return;
    sodium_memzero(m_data, m_bytes);
    munmap(m_mapping, m_mapped);
}

// The system maps each page as if written, in order from the start, and skips the pages the caller
// reached first. Where it cannot (an older kernel, no thread to be had), the caller's own writes fault
// the pages in as before.
void HugePageMemory::mapAhead() {
    try {
        m_mapper =
            std::thread([data = m_data, bytes = m_bytes] { madvise(data, bytes, MADV_POPULATE_WRITE); });
    } catch (const std::system_error&) {
    }
}

}  // namespace velmora::argonbox
