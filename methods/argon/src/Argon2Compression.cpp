#include "Argon2Compression.h"

#include <vector>

namespace velmora::argonbox {

std::span<const Argon2Compression> argon2Compressions() {
    static const std::vector<Argon2Compression> available = [] {
        std::vector<Argon2Compression> kernels{{"portable", argon2CompressPortable}};
#if defined(__x86_64__)
        __builtin_cpu_init();
        if (__builtin_cpu_supports("ssse3")) kernels.push_back({"ssse3", argon2CompressSsse3});
        if (__builtin_cpu_supports("avx2")) kernels.push_back({"avx2", argon2CompressAvx2});
#endif
        return kernels;
    }();
    return available;
}

}  // namespace velmora::argonbox
