// The guarded memory one operation works in: the password's UTF-8 bytes, a copy of the stream key, the
// secret stream's state and the plain chunk. Mapping, locking and unmapping guarded pages costs more than
// a small file's whole encryption, so a Main makes its workspace once and lends it to one operation at a
// time (Workspaces); it is wiped whenever it comes back, so no file's secrets outlive that file.
#pragma once

#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

#include "StreamKey.h"  // kKeyBytes
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

// A Main's workspaces: one kept for the next operation, another made for an operation that starts while the
// kept one is lent (a call from another thread, or from a handler the running operation notifies).
class Workspaces {
  public:
    class Lease {
      public:
        Lease(Workspaces& owner, std::unique_ptr<Workspace> workspace) noexcept
            : m_owner(owner), m_workspace(std::move(workspace)) {}
        ~Lease() { m_owner.giveBack(std::move(m_workspace)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        Workspace& operator*() const noexcept { return *m_workspace; }
        Workspace* operator->() const noexcept { return m_workspace.get(); }

      private:
        Workspaces& m_owner;
        std::unique_ptr<Workspace> m_workspace;
    };

    Lease take();

  private:
    void giveBack(std::unique_ptr<Workspace> workspace) noexcept;

    std::mutex m_lock;
    std::unique_ptr<Workspace> m_kept;
};

}  // namespace velmora::argonbox
