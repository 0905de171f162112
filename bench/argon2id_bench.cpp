// The stream key's derivation on the format's own parameters (Argon2id, 3 passes over 64 MiB, one lane):
// ours with each compression kernel this processor runs against libsodium's crypto_pwhash; one
// compression per kernel; and what wiping the 64 MiB before it is unmapped costs. For figures that
// compare, run the rounds interleaved:
//   argon2id_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>
#include <sodium.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Argon2id.h"
#include "ContainerHeader.h"
#include "argon/HugePageMemory.h"

namespace {

using namespace velmora::argonbox;

constexpr Parameters kFormat = Parameters::defaults();
const std::vector<std::uint8_t> kPassword = {'c', 'o', 'r', 'r', 'e', 'c', 't', ' ', 'h', 'o', 'r', 's', 'e'};
const std::vector<std::uint8_t> kSalt(kSaltBytes, 0x5A);

void BM_Libsodium(benchmark::State& state) {
    if (sodium_init() < 0) state.SkipWithError("libsodium");
    std::uint8_t key[32];
    for (auto _ : state)
        if (crypto_pwhash(key, sizeof key, reinterpret_cast<const char*>(kPassword.data()), kPassword.size(),
                          kSalt.data(), kFormat.opsLimit, std::size_t{kFormat.memoryKiB} * 1024,
                          crypto_pwhash_ALG_ARGON2ID13) != 0)
            state.SkipWithError("crypto_pwhash");
}
BENCHMARK(BM_Libsodium)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Ours(benchmark::State& state) {
    const Argon2Compression& kernel = argon2Compressions()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(kernel.name);
    std::uint8_t key[32];
    for (auto _ : state)
        if (!argon2id({kPassword, kSalt, {}, {}}, {kFormat.opsLimit, kFormat.memoryKiB, 1}, key, kernel))
            state.SkipWithError("argon2id");
}

void BM_Compress(benchmark::State& state) {
    const Argon2Compression& kernel = argon2Compressions()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(kernel.name);
    static Argon2Block blocks[3];
    for (int i = 0; i < 384; ++i) blocks[i / 128].v[i % 128] = 0x9E3779B97F4A7C15u * (i + 1);
    for (auto _ : state) {
        kernel.compress(blocks[0], blocks[1], blocks[2], true, nullptr);
        kernel.compress(blocks[1], blocks[2], blocks[0], true, nullptr);
        kernel.compress(blocks[2], blocks[0], blocks[1], true, nullptr);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 3);
}

void allKernels(benchmark::internal::Benchmark* bench) {
    for (std::size_t i = 0; i < argon2Compressions().size(); ++i) bench->Arg(static_cast<std::int64_t>(i));
}
BENCHMARK(BM_Ours)->Apply(allKernels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Compress)->Apply(allKernels);

// The 64 MiB written once, as the derivation leaves them, then wiped; only the wipe is timed.
void BM_Wipe(benchmark::State& state) {
    const std::size_t bytes = std::size_t{kFormat.memoryKiB} * 1024;
    for (auto _ : state) {
        state.PauseTiming();
        HugePageMemory memory(bytes);
        std::memset(memory.data(), 0x5A, bytes);
        state.ResumeTiming();
        sodium_memzero(memory.data(), bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Wipe)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
