// The text header of a passphrase file (docs/formats/ageseal.md): the version line, one scrypt stanza and
// the MAC line.
//
//   age-encryption.org/v1
//   -> scrypt <salt, 16 bytes in base64> <work factor, decimal>
//   <the wrapped file key, 32 bytes in base64>
//   --- <HMAC-SHA-256 of everything up to and including "---", in base64>
//
// Stanza bodies are base64 in lines of 64 columns ending with a shorter one. The reader takes any header
// the format allows, stanzas of other recipient types among them, and refuses what it does not.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "argon/Streams.h"

namespace velmora::ageseal {

constexpr std::size_t kSaltBytes = 16, kFileKeyBytes = 16, kWrappedKeyBytes = 32, kMacBytes = 32;
constexpr int kMaxWorkFactor = 22;  // 4 GiB for scrypt: what other readers accept at most

struct ScryptStanza {
    std::array<std::uint8_t, kSaltBytes> salt;
    int workFactor;  // log2 of scrypt's N
    std::array<std::uint8_t, kWrappedKeyBytes> wrappedKey;
};

struct AgeHeader {
    ScryptStanza stanza;
    std::string macInput;  // the header's text through "---": what the MAC covers
    std::array<std::uint8_t, kMacBytes> mac;

    // The header's text through "---" for this stanza.
    static std::string textOf(const ScryptStanza& stanza);
    // The whole header as written, MAC line and its line end included.
    std::string bytes() const;
};

// The header read from the start of a file, and what was read beyond it: the start of the payload.
struct AgeStart {
    AgeHeader header;
    std::vector<std::uint8_t> rest;
    std::uint64_t headerBytes;
};

// Errors: NotThisMethod when the first line is not this format's, or no stanza is a passphrase's;
// UnsupportedParameters for another version of the format or a work factor above kMaxWorkFactor;
// WrongPasswordOrDamaged for anything else that breaks the format's rules (a scrypt stanza beside others
// among them).
AgeStart readStart(argonbox::ByteSource& source);

}  // namespace velmora::ageseal
