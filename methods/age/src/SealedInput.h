// A sealed file or byte array as the reader takes it: the header read first, before anything is written,
// then the payload. The armoured form is decoded whole into memory first: armour is for text channels,
// which carry what fits in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "AgeHeader.h"
#include "argon/Streams.h"

namespace velmora::ageseal {

// What a source gave already, then the source itself.
class PrefixedSource final : public argonbox::ByteSource {
  public:
    PrefixedSource(std::vector<std::uint8_t> prefix, argonbox::ByteSource& rest)
        : m_prefix(std::move(prefix)), m_rest(rest) {}
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t size() const override { return m_rest.size(); }

  private:
    std::vector<std::uint8_t> m_prefix;
    std::size_t m_position = 0;
    argonbox::ByteSource& m_rest;
};

class SealedInput {
  public:
    // Errors as readStart's; WrongPasswordOrDamaged for broken armour.
    explicit SealedInput(argonbox::ByteSource& source);

    const AgeHeader& header() const noexcept { return m_start->header; }
    // From the payload's nonce on, and its length as far as known.
    argonbox::ByteSource& payload() noexcept { return *m_payload; }
    std::uint64_t payloadSize() const noexcept;

  private:
    std::vector<std::uint8_t> m_dearmored;
    std::optional<argonbox::MemorySource> m_memory;
    std::optional<PrefixedSource> m_source;
    std::optional<AgeStart> m_start;
    std::optional<PrefixedSource> m_payload;
};

}  // namespace velmora::ageseal
