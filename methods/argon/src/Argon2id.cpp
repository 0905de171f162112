#include "Argon2id.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <limits>

#include "argon/HugePageMemory.h"

namespace velmora::argonbox {
namespace {

constexpr std::uint32_t kSyncPoints = 4;  // slices per pass
constexpr std::uint32_t kAddressesPerBlock = 128;
constexpr std::uint32_t kVersion = 0x13;
constexpr std::uint32_t kType = 2;  // Argon2id
constexpr std::size_t kBlockBytes = sizeof(Argon2Block);
static_assert(kBlockBytes == 1024);

void putLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

class Blake2b {
  public:
    explicit Blake2b(std::size_t outBytes) {
        crypto_generichash_blake2b_init(&m_state, nullptr, 0, outBytes);
    }
    ~Blake2b() { sodium_memzero(&m_state, sizeof m_state); }
    Blake2b& add(std::span<const std::uint8_t> bytes) {
        // libsodium wants a readable pointer even for no bytes.
        static const std::uint8_t none = 0;
        crypto_generichash_blake2b_update(&m_state, bytes.empty() ? &none : bytes.data(), bytes.size());
        return *this;
    }
    Blake2b& add32(std::uint32_t value) {
        std::uint8_t le[4];
        putLe32(le, value);
        return add(le);
    }
    void finish(std::span<std::uint8_t> out) {
        crypto_generichash_blake2b_final(&m_state, out.data(), out.size());
    }

  private:
    crypto_generichash_blake2b_state m_state;
};

// H': any length from BLAKE2b's 64 bytes at a time, each step keeping half of its output.
void hashLong(std::span<std::uint8_t> out, std::span<const std::uint8_t> in) {
    const auto length = static_cast<std::uint32_t>(out.size());
    if (out.size() <= 64) {
        Blake2b(out.size()).add32(length).add(in).finish(out);
        return;
    }
    std::array<std::uint8_t, 64> v;
    Blake2b(64).add32(length).add(in).finish(v);
    std::copy_n(v.begin(), 32, out.begin());
    std::size_t at = 32;
    for (; out.size() - at > 64; at += 32) {
        Blake2b(64).add(v).finish(v);
        std::copy_n(v.begin(), 32, out.begin() + at);
    }
    std::array<std::uint8_t, 64> tail;
    Blake2b(out.size() - at).add(v).finish(std::span(tail).first(out.size() - at));
    std::copy_n(tail.begin(), out.size() - at, out.begin() + at);
    sodium_memzero(v.data(), v.size());
    sodium_memzero(tail.data(), tail.size());
}

void loadBlock(Argon2Block& block, std::span<const std::uint8_t, kBlockBytes> bytes) {
    for (std::size_t w = 0; w < 128; ++w) {
        std::uint64_t word = 0;
        for (int k = 7; k >= 0; --k) word = word << 8 | bytes[8 * w + k];
        block.v[w] = word;
    }
}

void storeBlock(std::span<std::uint8_t, kBlockBytes> bytes, const Argon2Block& block) {
    for (std::size_t w = 0; w < 128; ++w)
        for (int k = 0; k < 8; ++k) bytes[8 * w + k] = static_cast<std::uint8_t>(block.v[w] >> (8 * k));
}

// The shape of the memory: lanes of four slices (segments) each.
struct Geometry {
    std::uint32_t passes, lanes, segmentLength, laneLength, memoryBlocks;

    explicit Geometry(Argon2Cost cost)
        : passes(cost.passes),
          lanes(cost.lanes),
          segmentLength(cost.memoryKiB / (kSyncPoints * cost.lanes)),
          laneLength(segmentLength * kSyncPoints),
          memoryBlocks(laneLength * cost.lanes) {}
};

// Where the block at index of the segment (pass, slice) takes its reference within the reference lane:
// among the blocks that lane has finished outside the running slice and, in its own lane, the earlier
// ones of the slice, never the block just before it; the pseudo-random word squared favours the latest.
std::uint32_t referenceIndex(const Geometry& geometry, std::uint32_t pass, std::uint32_t slice,
                             std::uint32_t index, std::uint32_t random, bool sameLane) {
    const std::uint32_t finished =
        pass == 0 ? slice * geometry.segmentLength : geometry.laneLength - geometry.segmentLength;
    const std::uint64_t area = sameLane ? finished + index - 1 : finished - (index == 0 ? 1 : 0);
    const std::uint64_t squared = std::uint64_t{random} * random >> 32;
    const std::uint64_t relative = area - 1 - (area * squared >> 32);
    const std::uint64_t start =
        pass != 0 && slice != kSyncPoints - 1 ? std::uint64_t{slice + 1} * geometry.segmentLength : 0;
    return static_cast<std::uint32_t>((start + relative) % geometry.laneLength);
}

// One derivation's memory and the steps that fill it.
class Filling {
  public:
    Filling(const Geometry& geometry, Argon2Block* memory, Argon2Compress compress)
        : m_geometry(geometry), m_memory(memory), m_compress(compress) {}

    // The first two blocks of every lane from H0.
    void begin(std::span<const std::uint8_t, 64> h0) {
        std::array<std::uint8_t, 72> seed{};
        std::copy(h0.begin(), h0.end(), seed.begin());
        std::array<std::uint8_t, kBlockBytes> bytes;
        for (std::uint32_t lane = 0; lane < m_geometry.lanes; ++lane)
            for (std::uint32_t index = 0; index < 2; ++index) {
                putLe32(seed.data() + 64, index);
                putLe32(seed.data() + 68, lane);
                hashLong(bytes, seed);
                loadBlock(m_memory[lane * m_geometry.laneLength + index], bytes);
            }
        sodium_memzero(seed.data(), seed.size());
        sodium_memzero(bytes.data(), bytes.size());
    }

    // Lanes within a slice never read each other's running segment, so one thread may take them in turn.
    void passes() {
        for (std::uint32_t pass = 0; pass < m_geometry.passes; ++pass)
            for (std::uint32_t slice = 0; slice < kSyncPoints; ++slice)
                for (std::uint32_t lane = 0; lane < m_geometry.lanes; ++lane) segment(pass, slice, lane);
    }

    // The last block of every lane XORed together, stretched to out.
    void end(std::span<std::uint8_t> out) {
        Argon2Block last = lastOf(0);
        for (std::uint32_t lane = 1; lane < m_geometry.lanes; ++lane)
            for (int i = 0; i < 128; ++i) last.v[i] ^= lastOf(lane).v[i];
        std::array<std::uint8_t, kBlockBytes> bytes;
        storeBlock(bytes, last);
        hashLong(out, bytes);
        sodium_memzero(&last, sizeof last);
        sodium_memzero(bytes.data(), bytes.size());
    }

  private:
    const Argon2Block& lastOf(std::uint32_t lane) const {
        return m_memory[lane * m_geometry.laneLength + m_geometry.laneLength - 1];
    }

    // Where a segment's filling stands. Its reference words come from a counter in the first half of the
    // first pass (data-independent, Argon2i's way), else from the previous block's first word (Argon2d's).
    struct Segment {
        std::uint32_t pass, slice, lane;
        bool independent;
        Argon2Block counter, addresses;
        std::uint32_t upcoming;  // the index after the block being computed
        const Filling* filling;
    };

    const Argon2Block& reference(const Segment& s, std::uint32_t index, std::uint64_t random) const {
        const std::uint32_t refLane = s.pass == 0 && s.slice == 0
                                          ? s.lane
                                          : static_cast<std::uint32_t>((random >> 32) % m_geometry.lanes);
        const std::uint32_t refIndex = referenceIndex(m_geometry, s.pass, s.slice, index,
                                                      static_cast<std::uint32_t>(random), refLane == s.lane);
        return m_memory[std::size_t{refLane} * m_geometry.laneLength + refIndex];
    }

    void segment(std::uint32_t pass, std::uint32_t slice, std::uint32_t lane) {
        Segment s{pass, slice, lane, pass == 0 && slice < kSyncPoints / 2, {}, {}, 0, this};
        if (s.independent) {
            const std::uint64_t fields[] = {pass, lane, slice, m_geometry.memoryBlocks, m_geometry.passes,
                                            kType};
            std::copy(std::begin(fields), std::end(fields), s.counter.v);
        }
        const std::uint32_t first = pass == 0 && slice == 0 ? 2 : 0;
        if (s.independent && first != 0) nextAddresses(s);
        Argon2Block* const own = m_memory + std::size_t{lane} * m_geometry.laneLength;
        const Argon2Hint hint{fetchAhead, &s};
        std::uint32_t current = slice * m_geometry.segmentLength + first;
        for (std::uint32_t index = first; index < m_geometry.segmentLength; ++index, ++current) {
            const std::uint32_t previous = current == 0 ? m_geometry.laneLength - 1 : current - 1;
            if (s.independent && index % kAddressesPerBlock == 0) nextAddresses(s);
            const std::uint64_t random =
                s.independent ? s.addresses.v[index % kAddressesPerBlock] : own[previous].v[0];
            s.upcoming = index + 1;
            m_compress(own[previous], reference(s, index, random), own[current], pass != 0, &hint);
        }
    }

    // A block's reference is read at random from memory far larger than the caches: the next block's is
    // fetched while the kernel still works on this one, once the word it follows from is known.
    static void fetchAhead(const void* segment, std::uint64_t firstWord) {
        const Segment& s = *static_cast<const Segment*>(segment);
        const std::uint32_t index = s.upcoming;
        if (index >= s.filling->m_geometry.segmentLength ||
            (s.independent && index % kAddressesPerBlock == 0))
            return;
        const std::uint64_t random = s.independent ? s.addresses.v[index % kAddressesPerBlock] : firstWord;
        const auto* lines = reinterpret_cast<const char*>(&s.filling->reference(s, index, random));
        for (std::size_t at = 0; at < kBlockBytes; at += 64) __builtin_prefetch(lines + at);
    }

    // The next 128 reference words: the counter block's count raised, G applied to it twice.
    void nextAddresses(Segment& s) const {
        static const Argon2Block zero{};
        ++s.counter.v[6];
        m_compress(zero, s.counter, s.addresses, false, nullptr);
        m_compress(zero, s.addresses, s.addresses, false, nullptr);
    }

    const Geometry& m_geometry;
    Argon2Block* const m_memory;
    const Argon2Compress m_compress;
};

// H0: the cost, the lengths and every input, each length before its bytes.
void initialHash(const Argon2Input& input, Argon2Cost cost, std::size_t outBytes,
                 std::span<std::uint8_t, 64> h0) {
    Blake2b hash(64);
    hash.add32(cost.lanes).add32(static_cast<std::uint32_t>(outBytes)).add32(cost.memoryKiB);
    hash.add32(cost.passes).add32(kVersion).add32(kType);
    for (const std::span<const std::uint8_t> field :
         {input.password, input.salt, input.secret, input.associatedData})
        hash.add32(static_cast<std::uint32_t>(field.size())).add(field);
    hash.finish(h0);
}

bool withinLimits(const Argon2Input& input, Argon2Cost cost, std::size_t outBytes) {
    constexpr std::size_t kMaxLength = std::numeric_limits<std::uint32_t>::max();
    return cost.passes >= 1 && cost.lanes >= 1 && cost.lanes < (1u << 24) &&
           cost.memoryKiB / 8 >= cost.lanes && outBytes >= 16 && outBytes <= kMaxLength &&
           input.password.size() <= kMaxLength && input.salt.size() <= kMaxLength &&
           input.secret.size() <= kMaxLength && input.associatedData.size() <= kMaxLength;
}

}  // namespace

bool argon2id(const Argon2Input& input, Argon2Cost cost, std::span<std::uint8_t> out,
              const Argon2Compression& compression) {
    if (!withinLimits(input, cost, out.size())) return false;
    const Geometry geometry(cost);
    HugePageMemory memory(std::size_t{geometry.memoryBlocks} * kBlockBytes);
    if (!memory.data()) return false;
    std::array<std::uint8_t, 64> h0;
    initialHash(input, cost, out.size(), h0);
    Filling filling(geometry, static_cast<Argon2Block*>(memory.data()), compression.compress);
    filling.begin(h0);
    sodium_memzero(h0.data(), h0.size());
    filling.passes();
    filling.end(out);
    return true;
}

}  // namespace velmora::argonbox
