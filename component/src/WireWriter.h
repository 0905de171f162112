// Appends values in the wire encoding (see WireFormat.h) to a growing buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velmora::wire {

class WireWriter {
  public:
    void u8(std::uint8_t value) { m_buffer.push_back(value); }
    void u16(std::uint16_t value) { little(value, 2); }
    void u32(std::uint32_t value) { little(value, 4); }
    void i32(std::int32_t value) { little(static_cast<std::uint32_t>(value), 4); }
    void i64(std::int64_t value) { little(static_cast<std::uint64_t>(value), 8); }
    void f32(float value);
    void f64(double value);
    // Byte count, then generalised UTF-8 (an unpaired surrogate is encoded like any other code point).
    void text(std::u16string_view value);
    void bytes(std::span<const std::uint8_t> data) {
        m_buffer.insert(m_buffer.end(), data.begin(), data.end());
    }
    // Overwrites 4 bytes written earlier (a count or length known only later).
    void patchU32(std::size_t offset, std::uint32_t value);

    std::size_t size() const noexcept { return m_buffer.size(); }
    std::vector<std::uint8_t>& buffer() noexcept { return m_buffer; }

  private:
    void little(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i) m_buffer.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::vector<std::uint8_t> m_buffer;
};

}  // namespace velmora::wire
