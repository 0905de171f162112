#include "Payload.h"

#include <sodium.h>

#include <array>
#include <utility>
#include <vector>

#include "Hkdf.h"
#include "argon/MethodErrors.h"

namespace velmora::ageseal {
namespace {

static_assert(kTagBytes == crypto_aead_chacha20poly1305_IETF_ABYTES);
constexpr std::size_t kSealedChunkBytes = kChunkBytes + kTagBytes;

// The nonce of chunk i: i big-endian in the first 11 bytes, the last-chunk flag in the 12th.
std::array<unsigned char, crypto_aead_chacha20poly1305_IETF_NPUBBYTES> chunkNonce(std::uint64_t index,
                                                                                  bool last) {
    std::array<unsigned char, crypto_aead_chacha20poly1305_IETF_NPUBBYTES> nonce{};
    for (std::size_t i = 0; i < 8; ++i) nonce[10 - i] = static_cast<unsigned char>(index >> (8 * i));
    nonce[11] = last ? 1 : 0;
    return nonce;
}

std::span<const std::uint8_t, kHashBytes> payloadKey(Workspace& work, std::span<const std::uint8_t> nonce) {
    hkdfSha256(work.payloadKey(), work.fileKey(), nonce, "payload");
    return work.payloadKey();
}

}  // namespace

void sealPayload(argonbox::ByteSource& plain, argonbox::ByteSink& sealed, Workspace& work,
                 argonbox::ChunkObserver& observer) {
    std::array<std::uint8_t, kPayloadNonceBytes> nonce{};
    randombytes_buf(nonce.data(), nonce.size());
    const auto key = payloadKey(work, nonce);
    sealed.write(nonce);

    const std::uint64_t total = plain.size();
    observer.progressed(0, total);
    // Whether a full chunk is the last one shows only when the next read finds nothing.
    const std::span<std::uint8_t> buffers[] = {work.chunk(0), work.chunk(1)};
    std::vector<std::uint8_t> out(kSealedChunkBytes);
    std::size_t at = 0;
    std::size_t length = plain.read(buffers[at]);
    std::uint64_t done = 0;
    for (std::uint64_t index = 0;; ++index) {
        std::size_t nextLength = 0;
        // A short chunk is the last one, as for Argonbox: a source that grows meanwhile ends there.
        bool last = length < kChunkBytes;
        if (!last) last = (nextLength = plain.read(buffers[1 - at])) == 0;
        const auto chunk = chunkNonce(index, last);
        crypto_aead_chacha20poly1305_ietf_encrypt(out.data(), nullptr, buffers[at].data(), length, nullptr, 0,
                                                  nullptr, chunk.data(), key.data());
        sealed.write(std::span(out).first(length + kTagBytes));
        done += length;
        observer.progressed(done, total);
        if (last) break;
        at = 1 - at;
        length = nextLength;
    }
}

void openPayload(argonbox::ByteSource& sealed, std::uint64_t total, argonbox::ByteSink& plain,
                 Workspace& work, argonbox::ChunkObserver& observer) {
    std::array<std::uint8_t, kPayloadNonceBytes> nonce{};
    if (sealed.read(nonce) != nonce.size())
        argonbox::raiseMethodError(argonbox::methodError::WrongPasswordOrDamaged);
    const auto key = payloadKey(work, nonce);

    observer.progressed(0, total);
    std::vector<std::uint8_t> current(kSealedChunkBytes), next(kSealedChunkBytes);
    const std::span<std::uint8_t> chunk = work.chunk(0);
    std::size_t length = sealed.read(current);
    std::uint64_t done = kPayloadNonceBytes;
    for (std::uint64_t index = 0;; ++index) {
        std::size_t nextLength = 0;
        bool last = length < kSealedChunkBytes;
        if (!last) last = (nextLength = sealed.read(next)) == 0;
        const auto chunkNonceBytes = chunkNonce(index, last);
        // Less than a tag: cut. An empty last chunk is the empty payload's alone.
        if (length < kTagBytes || (last && index > 0 && length == kTagBytes) ||
            crypto_aead_chacha20poly1305_ietf_decrypt(chunk.data(), nullptr, nullptr, current.data(), length,
                                                      nullptr, 0, chunkNonceBytes.data(), key.data()) != 0)
            argonbox::raiseMethodError(argonbox::methodError::WrongPasswordOrDamaged);
        plain.write(chunk.first(length - kTagBytes));
        done += length;
        observer.progressed(done, total);
        if (last) break;
        std::swap(current, next);
        length = nextLength;
    }
}

}  // namespace velmora::ageseal
