// Working memory for a memory-hard key derivation: one anonymous mapping, aligned to 2 MiB and advised
// onto huge pages where the system gives them (tens of MiB read at random otherwise cost a page-table
// walk per block), zero-filled as the system maps it, wiped before it is unmapped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::argonbox {

class HugePageMemory {
  public:
    // bytes of zeros; data() is null when the system refuses them.
    explicit HugePageMemory(std::size_t bytes);
    ~HugePageMemory();
    HugePageMemory(const HugePageMemory&) = delete;
    HugePageMemory& operator=(const HugePageMemory&) = delete;

    void* data() const noexcept { return m_data; }
    std::size_t size() const noexcept { return m_bytes; }

    static constexpr std::size_t kHugePage = 2 << 20;

  private:
    std::size_t m_bytes, m_mapped;
    std::uint8_t* m_mapping = nullptr;
    void* m_data = nullptr;
};

}  // namespace velmora::argonbox
