// The file a result goes to, through the platform's replacement: the bytes go to an unnamed file in the
// destination's folder and take the destination's place at commit() only. Until then the destination (which
// may be the source itself) is untouched, and a destination that is never committed gets nothing. The
// bytes are written on a thread of their own while the next chunk is worked on.
#pragma once

#include <string_view>

#include "argon/Streams.h"
#include "platform/ReplacementFile.h"
#include "platform/WriteBehind.h"

namespace velmora::argonbox {

class FileSink final : public ByteSink {
  public:
    // A new decrypted file is the owner's only (NewFile::OwnerOnly); an existing one keeps its permissions.
    // Errors: 75 for a folder, a read-only file or a link, 70 while another open keeps it, the open's.
    FileSink(std::u16string_view path, ReplacementFile::NewFile newFile);

    void write(std::span<const std::uint8_t> bytes) override;  // 61 when the disk is full, 57, ...
    void commit();

  private:
    ReplacementFile m_file;
    WriteBehind m_writer{m_file};
};

}  // namespace velmora::argonbox
