// The guarded memory one operation works in: the passphrase's UTF-8 bytes, the file key, the payload and
// header MAC keys and the two plain chunk buffers. Mapping, locking and unmapping guarded pages costs more
// than a small file's whole encryption, so a Main makes its workspace once and lends it to one operation at
// a time (Workspaces); it is wiped whenever it comes back, so no file's secrets outlive that file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

#include "AgeHeader.h"  // kFileKeyBytes
#include "Hkdf.h"       // kHashBytes
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

}  // namespace velmora::ageseal
