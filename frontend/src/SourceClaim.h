// A run's claim on the file it encrypts or decrypts, from before the file is read until its old name is
// gone. The result always goes to a new name first and the old name goes last, so that at every moment,
// killed or not, each name holds what it says (a moment with both names is harmless). The claim is a
// handle with delete access that does not share it: a second run on the same file, in this process or
// another, cannot take the file and leaves it; the methods' readers share everything and are not
// disturbed. The old name goes through the claim itself, and only while it still names the claimed file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace velmora {

class SourceClaim {
  public:
    SourceClaim() = default;
    ~SourceClaim();
    SourceClaim(const SourceClaim&) = delete;
    SourceClaim& operator=(const SourceClaim&) = delete;

    // ERROR_SUCCESS, or the Win32 error: ERROR_SHARING_VIOLATION when another run (or program) holds the
    // file, ERROR_ACCESS_DENIED when it cannot be read or removed (read-only), ERROR_FILE_NOT_FOUND, ...
    DWORD take(const std::u16string& path);

    // How many names the file had when it was claimed (more than 1: hard links).
    std::uint32_t names() const noexcept { return m_taken.nNumberOfLinks; }
    // Whether the file is as it was when claimed (size, last write) and its name still names it.
    bool unchanged() const;
    // Removes the claimed name, ending the claim; false with the last error when it stays.
    bool removeName();

  private:
    void release();

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::string m_path;
    BY_HANDLE_FILE_INFORMATION m_taken{};
};

}  // namespace velmora
