// The stream keys one Main has derived, so that a run over many files pays the memory-hard derivation once
// per password instead of once per file. Sealing: the first container under a password and parameters
// draws a fresh salt and derives its key; later containers of the same Main reuse both, and each still
// draws its own random stream header, from which the secret stream makes a key of its own. Opening: a key
// is found again by password, salt and parameters. Passwords and keys stay in guarded memory and are
// wiped when an entry is dropped or the Main goes.
#pragma once

#include <cstddef>
#include <list>

#include "ContainerHeader.h"
#include "argon/SecureBytes.h"

namespace velmora::argonbox {

class DerivedKeys {
  public:
    // Enough for every salt of a folder written in a few runs; beyond it the oldest entry goes.
    static constexpr std::size_t kMaxEntries = 16;

    // The header to write under password and parameters, and its key.
    const SecureBytes& forSealing(std::span<const std::uint8_t> password, const Parameters& parameters,
                                  ContainerHeader& header);
    // The key of a container with this header under password.
    const SecureBytes& forOpening(std::span<const std::uint8_t> password, const ContainerHeader& header);

    std::size_t derivations() const noexcept { return m_derivations; }

  private:
    struct Entry {
        SecureBytes password;
        ContainerHeader header;
        SecureBytes key;
        bool drawnHere;  // the salt is this object's own, so sealing may use it again
    };

    const SecureBytes& derive(std::span<const std::uint8_t> password, const ContainerHeader& header,
                              bool drawnHere);

    std::list<Entry> m_entries;  // newest last; references stay valid while entries come and go
    std::size_t m_derivations = 0;
};

}  // namespace velmora::argonbox
