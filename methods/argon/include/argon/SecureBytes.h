// Bytes that hold key material: kept in libsodium's guarded, locked memory (never swapped where the
// system allows it) and overwritten with zeros when released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace velmora::argonbox {

// Starts libsodium once per process (every SecureBytes asks for it); LibraryUnavailable when it cannot.
void requireSodium();

class SecureBytes {
  public:
    // size bytes, zero-filled; error 7 when the guarded memory cannot be had.
    explicit SecureBytes(std::size_t size);
    ~SecureBytes();
    SecureBytes(const SecureBytes&) = delete;
    SecureBytes& operator=(const SecureBytes&) = delete;
    SecureBytes(SecureBytes&& other) noexcept : m_data(other.m_data), m_size(other.m_size) {
        other.m_data = nullptr;
        other.m_size = 0;
    }
    SecureBytes& operator=(SecureBytes&&) = delete;

    // The password's UTF-8 bytes (an unpaired surrogate as U+FFFD), written straight into guarded memory
    // so that no other copy of them is left in the heap.
    static SecureBytes utf8Of(std::u16string_view password);
    // The same bytes into out, which holds at least 3 bytes per UTF-16 unit; their number.
    static std::size_t writeUtf8(std::u16string_view password, std::span<std::uint8_t> out);

    std::span<std::uint8_t> bytes() noexcept { return {m_data, m_size}; }
    std::span<const std::uint8_t> bytes() const noexcept { return {m_data, m_size}; }

  private:
    std::uint8_t* m_data;
    std::size_t m_size;
};

}  // namespace velmora::argonbox
