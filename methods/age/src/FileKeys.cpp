#include "FileKeys.h"

#include <sodium.h>

#include <algorithm>
#include <string_view>

#include "Hkdf.h"
#include "Scrypt.h"
#include "argon/MethodErrors.h"
#include "runtime/Error.h"

namespace velmora::ageseal {
namespace {

using argonbox::methodError::WrongPasswordOrDamaged;

constexpr std::string_view kScryptLabel = "age-encryption.org/v1/scrypt";
constexpr std::size_t kMostWrappings = 8;  // salts of other writers' files, one per file
constexpr unsigned char kZeroNonce[crypto_aead_chacha20poly1305_IETF_NPUBBYTES] = {};
static_assert(kWrappedKeyBytes == kFileKeyBytes + crypto_aead_chacha20poly1305_IETF_ABYTES);

SecureBytes copyOf(std::span<const std::uint8_t> bytes) {
    SecureBytes copy(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.bytes().begin());
    return copy;
}

bool same(const SecureBytes& a, std::span<const std::uint8_t> b) {
    return a.bytes().size() == b.size() && sodium_memcmp(a.bytes().data(), b.data(), b.size()) == 0;
}

}  // namespace

SecureBytes scryptKey(std::span<const std::uint8_t> password,
                      const std::array<std::uint8_t, kSaltBytes>& salt, int workFactor) {
    std::array<std::uint8_t, kScryptLabel.size() + kSaltBytes> labelled{};
    std::copy(kScryptLabel.begin(), kScryptLabel.end(), labelled.begin());
    std::copy(salt.begin(), salt.end(), labelled.begin() + kScryptLabel.size());
    SecureBytes key(crypto_aead_chacha20poly1305_IETF_KEYBYTES);
    if (!scrypt(password, labelled, {std::uint64_t{1} << workFactor, 8, 1}, key.bytes()))
        raise(err::OutOfMemory);
    return key;
}

std::array<std::uint8_t, kMacBytes> headerMac(std::span<const std::uint8_t> fileKey,
                                              const std::string& macInput,
                                              std::span<std::uint8_t, kHashBytes> macKey) {
    hkdfSha256(macKey, fileKey, {}, "header");
    std::array<std::uint8_t, kMacBytes> mac{};
    hmacSha256(mac, macKey, {reinterpret_cast<const std::uint8_t*>(macInput.data()), macInput.size()});
    return mac;
}

std::string FileKeys::forSealing(std::span<const std::uint8_t> password, int workFactor, Workspace& work) {
    const std::lock_guard guard(m_lock);
    if (!m_run || m_run->workFactor != workFactor || !same(m_run->password, password)) {
        m_run.reset();  // the old run's secrets go first
        ScryptStanza stanza{};
        stanza.workFactor = workFactor;
        randombytes_buf(stanza.salt.data(), stanza.salt.size());
        SecureBytes fileKey(kFileKeyBytes);
        randombytes_buf(fileKey.bytes().data(), kFileKeyBytes);
        const SecureBytes& wrapKey = wrappingKey(password, stanza);
        crypto_aead_chacha20poly1305_ietf_encrypt(stanza.wrappedKey.data(), nullptr, fileKey.bytes().data(),
                                                  kFileKeyBytes, nullptr, 0, nullptr, kZeroNonce,
                                                  wrapKey.bytes().data());
        AgeHeader header{stanza, AgeHeader::textOf(stanza), {}};
        header.mac = headerMac(fileKey.bytes(), header.macInput, work.macKey());
        m_run.emplace(Run{copyOf(password), workFactor, std::move(fileKey), header.bytes()});
    }
    std::copy_n(m_run->fileKey.bytes().begin(), kFileKeyBytes, work.fileKey().begin());
    return m_run->header;
}

void FileKeys::forOpening(std::span<const std::uint8_t> password, const AgeHeader& header, Workspace& work) {
    const std::span<std::uint8_t> fileKey = work.fileKey();
    {
        const std::lock_guard guard(m_lock);
        const SecureBytes& wrapKey = wrappingKey(password, header.stanza);
        if (crypto_aead_chacha20poly1305_ietf_decrypt(fileKey.data(), nullptr, nullptr,
                                                      header.stanza.wrappedKey.data(), kWrappedKeyBytes,
                                                      nullptr, 0, kZeroNonce, wrapKey.bytes().data()) != 0)
            argonbox::raiseMethodError(WrongPasswordOrDamaged);
    }
    const std::array<std::uint8_t, kMacBytes> mac = headerMac(fileKey, header.macInput, work.macKey());
    if (crypto_verify_32(mac.data(), header.mac.data()) != 0)
        argonbox::raiseMethodError(WrongPasswordOrDamaged);
}

std::uint64_t FileKeys::derivations() const {
    const std::lock_guard guard(m_lock);
    return m_derivations;
}

FileKeys& FileKeys::process() {
    static FileKeys keys;  // destroyed, and so wiped, when the library is unloaded
    return keys;
}

const SecureBytes& FileKeys::wrappingKey(std::span<const std::uint8_t> password, const ScryptStanza& stanza) {
    const auto known = std::find_if(m_wrappings.begin(), m_wrappings.end(), [&](const Wrapping& w) {
        return w.workFactor == stanza.workFactor && w.salt == stanza.salt && same(w.password, password);
    });
    if (known != m_wrappings.end()) return known->key;
    ++m_derivations;
    return remember(password, stanza, scryptKey(password, stanza.salt, stanza.workFactor));
}

const SecureBytes& FileKeys::remember(std::span<const std::uint8_t> password, const ScryptStanza& stanza,
                                      SecureBytes key) {
    if (m_wrappings.size() == kMostWrappings) m_wrappings.pop_front();
    m_wrappings.push_back(Wrapping{copyOf(password), stanza.salt, stanza.workFactor, std::move(key)});
    return m_wrappings.back().key;
}

}  // namespace velmora::ageseal
