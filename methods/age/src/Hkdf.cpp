#include "Hkdf.h"

#include <sodium.h>

namespace velmora::ageseal {
namespace {

// The state holds key material: wiped however the computation ends.
struct HmacState {
    crypto_auth_hmacsha256_state value;
    ~HmacState() { sodium_memzero(&value, sizeof value); }
};

// libsodium wants a pointer it may read even for no bytes.
const unsigned char* dataOf(std::span<const std::uint8_t> bytes) {
    static constexpr unsigned char kNone = 0;
    return bytes.empty() ? &kNone : bytes.data();
}

}  // namespace

void hmacSha256(std::span<std::uint8_t, kHashBytes> out, std::span<const std::uint8_t> key,
                std::span<const std::uint8_t> message) {
    HmacState state;
    crypto_auth_hmacsha256_init(&state.value, dataOf(key), key.size());
    crypto_auth_hmacsha256_update(&state.value, dataOf(message), message.size());
    crypto_auth_hmacsha256_final(&state.value, out.data());
}

void hkdfSha256(std::span<std::uint8_t, kHashBytes> out, std::span<const std::uint8_t> ikm,
                std::span<const std::uint8_t> salt, std::string_view info) {
    // Extract: the pseudo-random key, in out itself. HMAC pads a shorter key with zeros, so an empty salt
    // is the RFC's string of zeros.
    hmacSha256(out, salt, ikm);
    // Expand, first block only: T(1) = HMAC(PRK, info || 0x01). The state takes in the whole key at init,
    // so the result may overwrite it.
    HmacState state;
    crypto_auth_hmacsha256_init(&state.value, out.data(), kHashBytes);
    crypto_auth_hmacsha256_update(&state.value, reinterpret_cast<const unsigned char*>(info.data()),
                                  info.size());
    const unsigned char counter = 1;
    crypto_auth_hmacsha256_update(&state.value, &counter, 1);
    crypto_auth_hmacsha256_final(&state.value, out.data());
}

argonbox::SecureBytes hkdfSha256(std::span<const std::uint8_t> ikm, std::span<const std::uint8_t> salt,
                                 std::string_view info) {
    argonbox::SecureBytes okm(kHashBytes);
    hkdfSha256(okm.bytes().first<kHashBytes>(), ikm, salt, info);
    return okm;
}

}  // namespace velmora::ageseal
