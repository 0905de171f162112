// The file an operation writes, put in place by the platform's replacement only when the operation has
// written it whole: on any failure the old file stays as it was. The bytes are written on a thread of their
// own while the operation prepares the next ones.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ReplacementFile.h"
#include "platform/WriteBehind.h"

namespace velmora {

class Destination {
  public:
    Destination(std::u16string_view path, ReplacementFile::NewFile newFile);

    // The replacement opens at the first write, so that a run refused before it leaves nothing behind.
    // Both raise the file error of any failure.
    void write(std::span<const std::uint8_t> bytes);
    void commit();

  private:
    void open();

    std::string m_path;
    ReplacementFile::NewFile m_newFile;
    ReplacementFile m_file;
    WriteBehind m_writer{m_file};
    bool m_open = false;
};

}  // namespace velmora
