// The payload after the header: a 16-byte nonce, then the plain bytes in chunks of 64 KiB, each sealed with
// ChaCha20-Poly1305 under HKDF-SHA-256(file key, nonce, "payload") and a 12-byte nonce made of the chunk's
// number (11 bytes, big-endian) and 1 for the last chunk, 0 for the others. The last chunk may be full;
// it is empty only when the whole payload is.
#pragma once

#include <cstdint>

#include "Workspace.h"
#include "argon/Streams.h"

namespace velmora::ageseal {

constexpr std::size_t kPayloadNonceBytes = 16, kTagBytes = 16;

// Both work in the workspace: its file key, payload key and chunk buffers.

// Encrypts everything the source holds under a fresh random nonce. Progress as Argonbox's seal.
void sealPayload(argonbox::ByteSource& plain, argonbox::ByteSink& sealed, Workspace& work,
                 argonbox::ChunkObserver& observer);

// Decrypts the payload that the source holds from its current position; total is its length, for
// progress. WrongPasswordOrDamaged for a missing nonce, a chunk that fails authentication (data after the
// last chunk, a cut file and a full chunk where the last should be among them), and an empty last chunk
// after others. What plain received before such a failure must not be used.
void openPayload(argonbox::ByteSource& sealed, std::uint64_t total, argonbox::ByteSink& plain,
                 Workspace& work, argonbox::ChunkObserver& observer);

}  // namespace velmora::ageseal
