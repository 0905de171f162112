// Working memory for a memory-hard key derivation: one anonymous mapping, aligned to 2 MiB and advised
// onto huge pages where the system gives them (tens of MiB read at random otherwise cost a page-table
// walk per block), zero-filled as the system maps it, wiped before it is unmapped.
//
// The system's zero-filling of each page on its first touch is a large share of a derivation's time, so
// memory of several huge pages is faulted in by a thread of its own, ahead of the caller's first writes
// (the derivation itself cannot use a second core). It only asks the system to map what is not mapped
// yet and never writes: the caller may write from the first moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>

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
    // From this size on a thread faults the memory in ahead of the caller.
    static constexpr std::size_t kMappedAhead = 4 * kHugePage;

  private:
    void mapAhead();

    std::size_t m_bytes, m_mapped;
    std::uint8_t* m_mapping = nullptr;
    void* m_data = nullptr;
    std::thread m_mapper;  // faulting the memory in ahead, while it runs
};

}  // namespace velmora::argonbox
