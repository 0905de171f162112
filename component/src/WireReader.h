// Reads values in the wire encoding from one received frame. Every read is bounds-checked: running past
// the end or meeting a malformed value throws WireError, so no input reaches past the frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "WireFormat.h"

namespace velmora::wire {

class WireReader {
  public:
    explicit WireReader(std::span<const std::uint8_t> data) noexcept : m_data(data) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(little(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::int64_t i64() { return static_cast<std::int64_t>(little(8)); }
    float f32();
    double f64();
    bool flag();  // 0 or 1, nothing else
    std::u16string text();
    std::span<const std::uint8_t> bytes(std::size_t count);

    std::size_t remaining() const noexcept { return m_data.size() - m_at; }
    void expectEnd() const;

  private:
    std::uint64_t little(int count);

    std::span<const std::uint8_t> m_data;
    std::size_t m_at = 0;
};

}  // namespace velmora::wire
