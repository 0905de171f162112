// Ageseal's passphrase derivation on the format's own parameters (scrypt, N = 2^18, r = 8, p = 1: 256 MiB):
// ours against libsodium's crypto_pwhash_scryptsalsa208sha256_ll, and the same count of BlockMix rounds on
// a table small enough to stay in cache, which leaves the memory out. For figures that compare, run the
// rounds interleaved:
//   scrypt_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>
#include <sodium.h>

#include <cstdint>
#include <vector>

#include "Scrypt.h"

namespace {

using namespace velmora::ageseal;

constexpr ScryptCost kFormat{std::uint64_t{1} << 18, 8, 1};
const std::vector<std::uint8_t> kPassword = {'c', 'o', 'r', 'r', 'e', 'c', 't', ' ', 'h', 'o', 'r', 's', 'e'};
const std::vector<std::uint8_t> kSalt(44, 0x5A);

void BM_Libsodium(benchmark::State& state) {
    if (sodium_init() < 0) state.SkipWithError("libsodium");
    std::uint8_t key[32];
    for (auto _ : state)
        if (crypto_pwhash_scryptsalsa208sha256_ll(kPassword.data(), kPassword.size(), kSalt.data(),
                                                  kSalt.size(), kFormat.n, kFormat.r, kFormat.p, key,
                                                  sizeof key) != 0)
            state.SkipWithError("crypto_pwhash_scryptsalsa208sha256_ll");
}
BENCHMARK(BM_Libsodium)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Ours(benchmark::State& state) {
    std::uint8_t key[32];
    for (auto _ : state)
        if (!scrypt(kPassword, kSalt, kFormat, key)) state.SkipWithError("scrypt");
}
BENCHMARK(BM_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();

// N = 2^10 (1 MiB, in cache) run 256 times: the format's count of BlockMix rounds, without its memory.
void BM_OursInCache(benchmark::State& state) {
    std::uint8_t key[32];
    for (auto _ : state)
        for (int i = 0; i < 256; ++i)
            if (!scrypt(kPassword, kSalt, {std::uint64_t{1} << 10, 8, 1}, key)) state.SkipWithError("scrypt");
}
BENCHMARK(BM_OursInCache)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
