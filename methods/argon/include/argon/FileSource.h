// A file read from start to end in pieces, through the platform's file calls. Others may read, write and
// delete (rename over) it meanwhile: the destination may be this very file, replaced once all is read.
#pragma once

#include <string_view>

#include "argon/Streams.h"
#include "platform/handles.h"

namespace velmora::argonbox {

class FileSource final : public ByteSource {
  public:
    // Errors 53, 76, 70, 75 (a folder among them) as the platform reports the open.
    explicit FileSource(std::u16string_view path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t size() const override { return m_size; }

  private:
    HANDLE m_handle;
    std::uint64_t m_size = 0;
};

}  // namespace velmora::argonbox
