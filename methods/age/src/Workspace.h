// The guarded memory one operation works in: the passphrase's UTF-8 bytes, the file key, the payload and
// header MAC keys and the two plain chunk buffers. Mapping, locking and unmapping guarded pages costs more
// than a small file's whole encryption, so a Main makes its workspace once and lends it to one operation at
// a time (Workspaces); it is wiped whenever it comes back, so no file's secrets outlive that file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "AgeHeader.h"  // kFileKeyBytes
#include "Hkdf.h"       // kHashBytes
#include "argon/Lender.h"
#include "argon/SecureBytes.h"

namespace velmora::ageseal {

constexpr std::size_t kChunkBytes = 64 * 1024;

class Workspace {
  public:
    Workspace();

    // The passphrase's UTF-8 bytes (as SecureBytes::utf8Of), in place of the last operation's.
    std::span<const std::uint8_t> password(std::u16string_view text);
    std::span<std::uint8_t, kFileKeyBytes> fileKey() noexcept { return slot<kFileKeyBytes>(0); }
    std::span<std::uint8_t, kHashBytes> payloadKey() noexcept { return slot<kHashBytes>(kFileKeyBytes); }
    std::span<std::uint8_t, kHashBytes> macKey() noexcept {
        return slot<kHashBytes>(kFileKeyBytes + kHashBytes);
    }
    // Chunk buffer 0 or 1: sealing reads one chunk ahead.
    std::span<std::uint8_t, kChunkBytes> chunk(std::size_t which) noexcept {
        return slot<kChunkBytes>(kKeysBytes + which * kChunkBytes);
    }

    void wipe() noexcept;

  private:
    static constexpr std::size_t kKeysBytes = kFileKeyBytes + 2 * kHashBytes;

    template <std::size_t N>
    std::span<std::uint8_t, N> slot(std::size_t at) noexcept {
        return m_fixed.bytes().subspan(at).first<N>();
    }

    argonbox::SecureBytes m_fixed;  // the keys, then the chunks
    std::optional<argonbox::SecureBytes> m_password;
};

// A Main's workspaces, lent to one operation at a time.
using Workspaces = argonbox::Lender<Workspace>;

}  // namespace velmora::ageseal
