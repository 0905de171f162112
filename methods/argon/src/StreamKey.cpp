#include "StreamKey.h"

#include <sodium.h>

#include <algorithm>

#include "Argon2id.h"
#include "runtime/Error.h"

namespace velmora::argonbox {

// libsodium's own limits for its Argon2id, so that what it refused is refused here too.
void argon2id(std::span<std::uint8_t> out, std::span<const std::uint8_t> password,
              std::span<const std::uint8_t, kSaltBytes> salt, std::uint32_t opsLimit,
              std::uint64_t memoryBytes) {
    std::fill(out.begin(), out.end(), 0);
    const bool accepted = out.size() >= crypto_pwhash_argon2id_BYTES_MIN &&
                          out.size() <= crypto_pwhash_argon2id_BYTES_MAX &&
                          password.size() <= crypto_pwhash_argon2id_PASSWD_MAX &&
                          opsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MIN &&
                          memoryBytes >= crypto_pwhash_argon2id_MEMLIMIT_MIN &&
                          memoryBytes <= crypto_pwhash_argon2id_MEMLIMIT_MAX;
    const Argon2Cost cost{opsLimit, static_cast<std::uint32_t>(memoryBytes / 1024), 1};
    if (!accepted || !velmora::argonbox::argon2id({password, salt, {}, {}}, cost, out))
        raise(err::OutOfMemory);
}

SecureBytes streamKey(std::span<const std::uint8_t> password, const ContainerHeader& header) {
    SecureBytes key(kKeyBytes);
    argon2id(key.bytes(), password, header.salt, header.parameters.opsLimit,
             std::uint64_t{header.parameters.memoryKiB} * 1024);
    return key;
}

}  // namespace velmora::argonbox
