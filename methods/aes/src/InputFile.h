// A source file opened for reading its whole contents into memory the caller lays out.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/handles.h"

namespace velmora {

class InputFile {
  public:
    // Opens for reading, sharing read and write access with other opens; errors 53, 76, 70, 75.
    explicit InputFile(std::u16string_view path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::int64_t size() const noexcept { return m_size; }
    // Fills destination (size() bytes) from the start of the file; error 62 when the file got shorter.
    void readInto(std::span<std::uint8_t> destination);

  private:
    HANDLE m_handle;
    std::int64_t m_size = 0;
};

}  // namespace velmora
