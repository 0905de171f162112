#include "Container.h"

#include <sodium.h>

#include <vector>

#include "StreamKey.h"  // kKeyBytes
#include "argon/MethodErrors.h"

namespace velmora::argonbox {
namespace {

static_assert(kStreamHeaderBytes == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(kChunkOverhead == crypto_secretstream_xchacha20poly1305_ABYTES);
static_assert(kKeyBytes == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(kSaltBytes == crypto_pwhash_SALTBYTES);

// The first chunk is bound to the header; the others carry no additional data.
struct AdditionalData {
    const std::uint8_t* data;
    unsigned long long size;
};
AdditionalData additionalData(bool firstChunk, const std::array<std::uint8_t, kHeaderBytes>& header) {
    return firstChunk ? AdditionalData{header.data(), header.size()} : AdditionalData{nullptr, 0};
}

}  // namespace

void seal(ByteSource& plain, ByteSink& sealed, const ContainerHeader& header, Workspace& work,
          ChunkObserver& observer) {
    const Parameters& parameters = header.parameters;
    const std::array<std::uint8_t, kHeaderBytes> headerBytes = header.bytes();

    // A random stream header of its own for every container, whatever key it shares with others.
    StreamState& state = work.stream();
    std::array<std::uint8_t, kStreamHeaderBytes> streamHeader{};
    crypto_secretstream_xchacha20poly1305_init_push(&state, streamHeader.data(), work.key().data());
    sealed.write(headerBytes);
    sealed.write(streamHeader);

    const std::uint64_t total = plain.size();
    observer.progressed(0, total);
    const std::span<std::uint8_t> chunk = work.chunk(parameters.chunkBytes);
    std::vector<std::uint8_t> out(parameters.chunkBytes + kChunkOverhead);
    std::uint64_t done = 0;
    for (bool first = true;; first = false) {
        const std::size_t length = plain.read(chunk);
        // A short chunk is the last one; after a full one there may be more, or an empty last chunk.
        const bool last = length < parameters.chunkBytes;
        const AdditionalData ad = additionalData(first, headerBytes);
        unsigned long long outLength = 0;
        crypto_secretstream_xchacha20poly1305_push(&state, out.data(), &outLength, chunk.data(), length,
                                                   ad.data, ad.size,
                                                   last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                        : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        sealed.write(std::span(out).first(static_cast<std::size_t>(outLength)));
        done += length;
        observer.progressed(done, total);
        if (last) break;
    }
}

ContainerStart readStart(ByteSource& sealed) {
    std::array<std::uint8_t, kPrefixBytes> prefix{};
    const std::size_t length = sealed.read(prefix);
    ContainerStart start{ContainerHeader::parse(std::span(prefix).first(length)), {}, {}};
    if (length < kPrefixBytes) raiseMethodError(methodError::WrongPasswordOrDamaged);
    std::copy_n(prefix.begin(), kHeaderBytes, start.headerBytes.begin());
    std::copy_n(prefix.begin() + kHeaderBytes, kStreamHeaderBytes, start.streamHeader.begin());
    return start;
}

void openChunks(const ContainerStart& start, ByteSource& sealed, ByteSink& plain, Workspace& work,
                ChunkObserver& observer) {
    StreamState& state = work.stream();
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, start.streamHeader.data(),
                                                        work.key().data()) != 0)
        raiseMethodError(methodError::WrongPasswordOrDamaged);
    const std::size_t chunkBytes = start.header.parameters.chunkBytes;
    const std::uint64_t total = sealed.size() > kPrefixBytes ? sealed.size() - kPrefixBytes : 0;
    observer.progressed(0, total);
    std::vector<std::uint8_t> in(chunkBytes + kChunkOverhead);
    const std::span<std::uint8_t> chunk = work.chunk(chunkBytes);
    std::uint64_t done = 0;
    for (bool first = true;; first = false) {
        const std::size_t length = sealed.read(in);
        // Nothing left, or less than a tag and a MAC: the FINAL chunk is missing.
        if (length < kChunkOverhead) raiseMethodError(methodError::WrongPasswordOrDamaged);
        const AdditionalData ad = additionalData(first, start.headerBytes);
        unsigned long long chunkLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, chunk.data(), &chunkLength, &tag, in.data(),
                                                       length, ad.data, ad.size) != 0)
            raiseMethodError(methodError::WrongPasswordOrDamaged);
        // Chunks are cut at fixed sizes: only the short last one may, and must, be FINAL.
        const bool last = length < in.size();
        if (tag != (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                         : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE))
            raiseMethodError(methodError::WrongPasswordOrDamaged);
        plain.write(chunk.first(static_cast<std::size_t>(chunkLength)));
        done += length;
        observer.progressed(done, total);
        if (last) break;
    }
}

}  // namespace velmora::argonbox
