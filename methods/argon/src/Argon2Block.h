// The 1 KiB block Argon2 fills its memory with, and the kernels of its compression function G, each the
// same function: portable code anywhere, 128-bit (SSSE3) and 256-bit (AVX2) vector code on x86-64. The
// vector kernels are compiled for their instruction sets alone and run only where the processor has
// them (Argon2Compression.h chooses). This header stays free of library templates, so that no inline
// function compiled for a newer instruction set can stand in for the ordinary one.
#pragma once

#include <cstdint>

namespace velmora::argonbox {

struct alignas(64) Argon2Block {
    std::uint64_t v[128];  // little-endian words
};

// Told the new block's first word as soon as the kernel has it, before the rest: the next block's
// reference follows from that word, so its memory can be fetched meanwhile.
struct Argon2Hint {
    void (*firstWord)(const void* context, std::uint64_t word);
    const void* context;
};

// next = G(prev, ref), or next ^= G(prev, ref) when xorInto (the later passes of version 1.3); hint, if
// any, is told next's first word early. ref may be next itself.
using Argon2Compress = void (*)(const Argon2Block& prev, const Argon2Block& ref, Argon2Block& next,
                                bool xorInto, const Argon2Hint* hint);

void argon2CompressPortable(const Argon2Block& prev, const Argon2Block& ref, Argon2Block& next, bool xorInto,
                            const Argon2Hint* hint);
#if defined(__x86_64__)
void argon2CompressSsse3(const Argon2Block& prev, const Argon2Block& ref, Argon2Block& next, bool xorInto,
                         const Argon2Hint* hint);
void argon2CompressAvx2(const Argon2Block& prev, const Argon2Block& ref, Argon2Block& next, bool xorInto,
                        const Argon2Hint* hint);
#endif

}  // namespace velmora::argonbox
