// The multi-pass wipe behind FileDelete(vWipe): every pass overwrites the file with 0x00, one random value
// (1..255) and 0xFF, in 1 MiB blocks plus a tail, then the file goes with its delete-on-close handle.
// The write sequence, the file's growth during the wipe and the Progress values are the suite's; each
// phase is flushed to the device before the next starts, so that the overwrites really reach it.
// Nothing stops a wipe once its file is open: an error from a Progress handler or from the yield is
// dropped, every pass runs, and leaving the call closes (and so deletes) the file.
// A symbolic link is wiped as what it is, an entry holding no data: the file it points to is neither
// written nor deleted, the passes write nothing and report their Progress as for an empty file, no
// message is shown, and the link itself is deleted.
// What the wipe refuses to destroy stays where it is, and the wipe raises an error naming why (source
// "FileObject:FileDelete"): a file with other names (hard links), whose data those names would still
// reach, is neither written nor deleted; a write or flush that fails ends the wipe at once with the
// platform's error as a run-time error (61 "Disk full", 57 "Device I/O error", ...) and the file is kept,
// since data not overwritten must not vanish from sight as if it had been.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/win32types.h"
#include "runtime/exports.h"

namespace velmora {

// The calls the wipe makes on its file. The platform's form goes to CreateFileA and friends; tests put a
// recording layer in front of it to observe the sequence.
class VELMORA_API WipeIo {
  public:
    virtual ~WipeIo() = default;
    // Opens for writing alone, unshared, delete-on-close; INVALID_HANDLE_VALUE when that is refused.
    virtual HANDLE open(const std::string& path) = 0;
    // Writes `count` bytes, all equal to block[0], at the position; block holds that value throughout
    // (up to 1 MiB of it) and is written again as often as `count` needs. ERROR_SUCCESS, or the Win32
    // error of the write that failed.
    virtual DWORD write(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t count) = 0;
    virtual DWORD flush(HANDLE file) = 0;
    virtual void rewind(HANDLE file) = 0;
    // How many names the open file has.
    virtual std::uint32_t names(HANDLE file) = 0;
    // Takes back the open's delete-on-close: closing keeps the file.
    virtual void keep(HANDLE file) = 0;
    virtual void close(HANDLE file) = 0;
};

class VELMORA_API PlatformWipeIo : public WipeIo {
  public:
    HANDLE open(const std::string& path) override;
    DWORD write(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t count) override;
    DWORD flush(HANDLE file) override;
    void rewind(HANDLE file) override;
    std::uint32_t names(HANDLE file) override;
    void keep(HANDLE file) override;
    void close(HANDLE file) override;
};

class VELMORA_API FileWiper {
  public:
    static constexpr std::uint64_t kBlock = 1048576;

    struct Callbacks {
        std::function<void(std::int16_t percent)> progress;
        std::function<void()> yield;
        std::function<void()> openRefused;
    };

    FileWiper(WipeIo& io, Callbacks callbacks);

    // Wipes and deletes the file of that length (as read before the wipe opens it). Raises the errors
    // above, with the file left in place.
    void wipe(const std::string& path, std::uint64_t length, std::int16_t passes);

  private:
    // One phase: N blocks with yields and Progress (files above one block), then the tail, flush, rewind.
    void phase(HANDLE file, std::span<const std::uint8_t> block, std::uint64_t tail);
    // The random phase's block: v repeated as far as one write of this file needs.
    std::span<const std::uint8_t> randomBlock();
    // Ends the wipe on a Win32 error: the file is kept and the error raised.
    void check(HANDLE file, DWORD error);
    std::uint8_t randomValue() const;
    void progress(std::int16_t percent);
    void yield();

    WipeIo& m_io;
    Callbacks m_callbacks;
    std::uint64_t m_length = 0;
    std::uint64_t m_blocks = 0;
    std::uint64_t m_counted = 0;
    std::uint64_t m_totalBlocks = 0;
    std::vector<std::uint8_t> m_random;
};

}  // namespace velmora
