// The file key and the passphrase stanza that wraps it: scrypt of the passphrase under the stanza's salt
// gives the key that wraps the file key with ChaCha20-Poly1305 under a zero nonce.
//
// scrypt is the slow part of every file, on purpose. A run over many files pays it once: FileKeys keeps,
// for the passphrase last used, the file key and the finished header, and every file of the run takes
// both with a payload nonce of its own. Giving each file a new file key under the same salt instead would
// wrap two keys with one key and the same zero nonce, which the cipher forbids. When opening, the key
// scrypt gave for a passphrase, salt and work factor is kept for the next file with that stanza. All of it
// lives in guarded memory and is wiped when released, at the latest when the plug-in is unloaded.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "AgeHeader.h"
#include "Workspace.h"
#include "argon/SecureBytes.h"

namespace velmora::ageseal {

using argonbox::SecureBytes;

// scrypt(password, "age-encryption.org/v1/scrypt" || salt, N = 2^workFactor, r = 8, p = 1), 32 bytes.
// Error 7 when its memory (128 * 8 * N bytes) cannot be had.
SecureBytes scryptKey(std::span<const std::uint8_t> password,
                      const std::array<std::uint8_t, kSaltBytes>& salt, int workFactor);

// The header's MAC under HKDF-SHA-256 of the file key, no salt, "header"; that key goes into macKey.
std::array<std::uint8_t, kMacBytes> headerMac(std::span<const std::uint8_t> fileKey,
                                              const std::string& macInput,
                                              std::span<std::uint8_t, kHashBytes> macKey);

// Every call may come from any thread: each takes the object's lock, and answers with copies of its own,
// the file key into the caller's workspace.
class FileKeys {
  public:
    // The file key (into work) and the whole header as written; a new pair when the passphrase or work
    // factor differ from the last call's.
    std::string forSealing(std::span<const std::uint8_t> password, int workFactor, Workspace& work);

    // The file key the header's stanza wraps (into work), once the header's MAC holds under it.
    // WrongPasswordOrDamaged when the stanza does not open or the MAC does not hold.
    void forOpening(std::span<const std::uint8_t> password, const AgeHeader& header, Workspace& work);

    // How many times scrypt ran for this object.
    std::uint64_t derivations() const;

    // The keys every Main of the process shares: a run through one engine and the next one through
    // another both find them.
    static FileKeys& process();

  private:
    struct Wrapping {
        SecureBytes password;
        std::array<std::uint8_t, kSaltBytes> salt;
        int workFactor;
        SecureBytes key;
    };
    struct Run {
        SecureBytes password;
        int workFactor;
        SecureBytes fileKey;
        std::string header;
    };

    // The scrypt key for a stanza, derived on the first call for its passphrase, salt and work factor.
    const SecureBytes& wrappingKey(std::span<const std::uint8_t> password, const ScryptStanza& stanza);
    const SecureBytes& remember(std::span<const std::uint8_t> password, const ScryptStanza& stanza,
                                SecureBytes key);

    mutable std::mutex m_lock;
    std::optional<Run> m_run;
    std::deque<Wrapping> m_wrappings;  // the most recent last
    std::uint64_t m_derivations = 0;
};

}  // namespace velmora::ageseal
