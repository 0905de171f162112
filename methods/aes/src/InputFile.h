// A source file opened for reading its contents, in order, into memory the caller lays out.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/handles.h"

namespace velmora {

class InputFile {
  public:
    // Opens for reading, sharing read, write and delete access with other opens; errors 53, 76, 70, 75.
    explicit InputFile(std::u16string_view path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::int64_t size() const noexcept { return m_size; }
    // Fills destination with the file's next bytes; error 62 when the file got shorter than that.
    void readInto(std::span<std::uint8_t> destination);

  private:
    HANDLE m_handle;
    std::int64_t m_size = 0;
};

}  // namespace velmora
