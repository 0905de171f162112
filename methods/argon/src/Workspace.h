// The guarded memory one operation works in: the password's UTF-8 bytes, a copy of the stream key, the
// secret stream's state and the plain chunk. Mapping, locking and unmapping guarded pages costs more than
// a small file's whole encryption, so a Main makes its workspace once and lends it to one operation at a
// time (Workspaces); it is wiped whenever it comes back, so no file's secrets outlive that file.
#pragma once

#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "StreamKey.h"  // kKeyBytes
#include "argon/Lender.h"
#include "argon/SecureBytes.h"

namespace velmora::argonbox {

using StreamState = crypto_secretstream_xchacha20poly1305_state;

class Workspace {
  public:
    // A chunk buffer beyond this (a container of larger chunks was opened) is given back with its file
    // rather than kept locked for the Main's life.
    static constexpr std::size_t kKeptChunkBytes = 1024 * 1024;

    Workspace();

    // The password's UTF-8 bytes (as SecureBytes::utf8Of), in place of the last operation's.
    std::span<const std::uint8_t> password(std::u16string_view text);
    void holdKey(std::span<const std::uint8_t> key);
    std::span<const std::uint8_t, kKeyBytes> key() const noexcept;
    StreamState& stream() noexcept;
    // bytes of chunk buffer, grown as needed.
    std::span<std::uint8_t> chunk(std::size_t bytes);

    void wipe() noexcept;

  private:
    static void ensure(std::optional<SecureBytes>& buffer, std::size_t bytes);

    SecureBytes m_fixed;  // the key, then the stream's state
    std::optional<SecureBytes> m_password;
    std::optional<SecureBytes> m_chunk;
};

// A Main's workspaces, lent to one operation at a time.
using Workspaces = Lender<Workspace>;

}  // namespace velmora::argonbox
