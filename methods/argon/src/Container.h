// The container: header, secret-stream header and chunks (docs/formats/argonbox.md), written and read in
// chunks of the header's size, so that memory stays the same whatever the length of the data.
#pragma once

#include <array>
#include <cstdint>

#include "ContainerHeader.h"
#include "Workspace.h"
#include "argon/Streams.h"

namespace velmora::argonbox {

// Encrypts everything the source holds into a container with this header, under the header's stream key
// (DerivedKeys), held in work, and a fresh random stream header.
void seal(ByteSource& plain, ByteSink& sealed, const ContainerHeader& header, Workspace& work,
          ChunkObserver& observer);

// The start of a container, read before anything is written: NotThisMethod, UnsupportedParameters or
// WrongPasswordOrDamaged as ContainerHeader::parse; WrongPasswordOrDamaged when the stream header is cut.
struct ContainerStart {
    ContainerHeader header;
    std::array<std::uint8_t, kHeaderBytes> headerBytes;  // as read: the first chunk's additional data
    std::array<std::uint8_t, kStreamHeaderBytes> streamHeader;
};
ContainerStart readStart(ByteSource& sealed);

// Decrypts the chunks that follow the start into plain, under the header's stream key held in work.
// WrongPasswordOrDamaged for a chunk that fails authentication, a full chunk that is not tagged MESSAGE, a
// short one not tagged FINAL, and a missing FINAL chunk; data after the FINAL chunk fails authentication with
// it. What plain received before such a failure must not be used: callers commit it only when this returns.
void openChunks(const ContainerStart& start, ByteSource& sealed, ByteSink& plain, Workspace& work,
                ChunkObserver& observer);

}  // namespace velmora::argonbox
