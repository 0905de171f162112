// Ageseal's passphrase derivation on the format's own parameters (scrypt, N = 2^18, r = 8, p = 1: 256 MiB):
// ours against libsodium's crypto_pwhash_scryptsalsa208sha256_ll. Only a process's first derivation can
// meet pages the host has taken back; later iterations find the freed ones warm. For figures that
// compare, run the rounds interleaved:
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

}  // namespace

BENCHMARK_MAIN();
