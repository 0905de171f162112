#include "StreamKey.h"

#include <sodium.h>

#include "runtime/Error.h"

namespace velmora::argonbox {

void argon2id(std::span<std::uint8_t> out, std::span<const std::uint8_t> password,
              std::span<const std::uint8_t, kSaltBytes> salt, std::uint32_t opsLimit,
              std::uint64_t memoryBytes) {
    if (crypto_pwhash(out.data(), out.size(), reinterpret_cast<const char*>(password.data()), password.size(),
                      salt.data(), opsLimit, static_cast<std::size_t>(memoryBytes),
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        raise(err::OutOfMemory);
}

SecureBytes streamKey(std::span<const std::uint8_t> password, const ContainerHeader& header) {
    SecureBytes key(kKeyBytes);
    argon2id(key.bytes(), password, header.salt, header.parameters.opsLimit,
             std::uint64_t{header.parameters.memoryKiB} * 1024);
    return key;
}

}  // namespace velmora::argonbox
