// Which kernel of Argon2's compression function runs: the widest this processor has, decided once.
#pragma once

#include <span>

#include "Argon2Block.h"

namespace velmora::argonbox {

struct Argon2Compression {
    const char* name;
    Argon2Compress compress;
};

// Every kernel this processor runs, the portable one first and the fastest last.
std::span<const Argon2Compression> argon2Compressions();

inline const Argon2Compression& fastestArgon2Compression() {
    return argon2Compressions().back();
}

}  // namespace velmora::argonbox
