// The cipher key of a password: its UTF-16 code units, low byte first, cut or zero-filled to 32 bytes
// (so only the first 16 characters count). No hashing: the suite's encrypted data depends on exactly this.
// The bytes are overwritten with zeros when the key goes out of scope.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

class DerivedKey {
  public:
    static constexpr std::size_t kBytes = 32;

    explicit DerivedKey(std::u16string_view password) noexcept;
    ~DerivedKey();
    DerivedKey(const DerivedKey&) = delete;
    DerivedKey& operator=(const DerivedKey&) = delete;

    const std::array<std::uint8_t, kBytes>& bytes() const noexcept { return m_bytes; }

  private:
    std::array<std::uint8_t, kBytes> m_bytes{};
};

}  // namespace velmora
