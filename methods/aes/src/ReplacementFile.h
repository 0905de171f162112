// Writes a file's new contents so that its old contents are never lost: the bytes go to a hidden
// temporary file in the same folder, reach the disk, take over the old file's permission bits and are
// renamed over it in one step. Until commit() the destination is untouched; a ReplacementFile that is
// never committed removes its temporary file.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace velmora {

class ReplacementFile {
  public:
    // newFileMode: the permission bits of a destination that does not exist yet (the umask applies).
    // A destination that is a folder or read-only is refused (error 75), as is one that another open
    // does not let go (70).
    ReplacementFile(std::u16string_view path, mode_t newFileMode);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void write(std::span<const std::uint8_t> data);
    // Flushes the new contents and puts them in the destination's place.
    void commit();

  private:
    void checkDestination(const std::string& suitePath);
    void createTemporary(mode_t mode);

    std::string m_target;  // native path
    std::string m_temporary;
    int m_fd = -1;
    bool m_committed = false;
    bool m_targetExists = false;
    mode_t m_targetMode = 0;
    HANDLE m_deleteGuard;  // holds our claim on replacing the destination against other opens
};

}  // namespace velmora
