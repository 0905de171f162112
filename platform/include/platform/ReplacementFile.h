// Writes a file's new contents so that its old contents are never lost. The bytes go to an unnamed file
// in the destination's folder (O_TMPFILE), reach the disk, take over the old file's permission bits, get a
// temporary name and are renamed over the destination at once; the folder is flushed too. A process killed
// during the long write leaves nothing behind. Where the file system refuses unnamed files, a hidden
// temporary ".<name>.<hex>.tmp" is written instead. Until commit() the destination is untouched; an object
// that is never committed removes what it wrote. A destination that did not exist at open() is created
// only if its name is still free at commit(): a file that appeared meanwhile is never replaced
// (ERROR_FILE_EXISTS, and nothing is left behind). While a CommitsInFlight object lives, commit() hands
// the same steps to it and returns at once; the outcome is the CommitsInFlight's to tell.
//
// Calls return false and set the last error on failure, as the file calls do.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/win32types.h"

namespace velmora {

class ReplacementFile {
  public:
    // The permission bits of a destination that does not exist yet; an existing one keeps its own.
    enum class NewFile { Shared /* 0666 less the umask */, OwnerOnly /* 0600 */ };
    // Unnamed is the default and falls back to Named by itself; Named is there for callers (and tests)
    // that must not depend on the file system.
    enum class Staging { Unnamed, Named };

    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Starts replacing suitePath. ERROR_ACCESS_DENIED for a folder, a read-only file or a symbolic link
    // (a link is never written through), ERROR_SHARING_VIOLATION when another open does not share delete
    // access, the file errors of CreateFileA otherwise.
    bool open(std::string_view suitePath, NewFile newFile, Staging staging = Staging::Unnamed);
    // Appends to the new contents: ERROR_DISK_FULL, ERROR_WRITE_FAULT (an I/O error), ...
    bool write(std::span<const std::uint8_t> data);
    // Flushes the new contents and puts them in the destination's place.
    bool commit();

  private:
    friend class CommitsInFlight;
    bool commitNow();
    // The commit's steps: the contents flushed and put under the destination's name; then the folder
    // flushed, which makes the name last.
    bool placeNow();
    std::string folder() const;  // native
    static void flushFolder(const std::string& folder);
    bool checkDestination(std::string_view suitePath);
    bool adopt(int fd, std::string temporary);  // an empty name: unnamed staging
    bool createNamed(unsigned mode);
    bool fail(int error);
    // Renames the staged file to the destination (never over a file that appeared since open()).
    bool putInPlace() const;
    void discard() noexcept;

    std::string m_target;     // native path
    std::string m_temporary;  // named staging only
    int m_fd = -1;
    off_t m_written = 0;  // where the next write goes: only this object writes the staged file
    bool m_unnamed = false;
    bool m_targetExists = false;
    unsigned m_targetMode = 0;
    HANDLE m_deleteGuard =
        INVALID_HANDLE_VALUE;  // our claim on replacing the destination against other opens
};

}  // namespace velmora
