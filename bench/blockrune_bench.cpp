// The plug-in's block cipher alone (Rijndael-256/256 on the combined round table), in MB/s, and what
// the yield after every block adds: SystemObject::Do_Events with the default mask, alone and in the
// block loop the byte operations run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "aes/RijndaelCipher.h"
#include "system/SystemObject.h"

namespace {

using velmora::RijndaelCipher;

constexpr std::size_t kBytes = 1 << 20;

RijndaelCipher& keyedCipher() {
    static RijndaelCipher cipher;
    static bool ready = false;
    if (!ready) {
        std::vector<std::uint8_t> key(32);
        for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 1);
        cipher.gentables();
        cipher.gkey(8, 8, key);
        ready = true;
    }
    return cipher;
}

void BM_EncryptBlocks(benchmark::State& state) {
    const RijndaelCipher& cipher = keyedCipher();
    std::vector<std::uint8_t> data(kBytes, 0x5A);
    for (auto _ : state) {
        for (std::size_t o = 0; o < data.size(); o += 32) cipher.encryptBlock256(data.data() + o);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_EncryptBlocks);

void BM_DecryptBlocks(benchmark::State& state) {
    const RijndaelCipher& cipher = keyedCipher();
    std::vector<std::uint8_t> data(kBytes, 0x5A);
    for (auto _ : state) {
        for (std::size_t o = 0; o < data.size(); o += 32) cipher.decryptBlock256(data.data() + o);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_DecryptBlocks);

// The checked general path that the by-name Encrypt member takes, for comparison.
void BM_EncryptBlocksGeneral(benchmark::State& state) {
    RijndaelCipher& cipher = keyedCipher();
    std::vector<std::uint8_t> data(kBytes, 0x5A);
    for (auto _ : state) {
        for (std::size_t o = 0; o < data.size(); o += 32) cipher.encrypt(std::span(data).subspan(o, 32));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_EncryptBlocksGeneral);

void BM_DoEvents(benchmark::State& state) {
    auto system = velmora::makeObject<velmora::SystemObject>();
    for (auto _ : state) system->Do_Events();
}
BENCHMARK(BM_DoEvents);

void BM_EncryptBlocksWithDoEvents(benchmark::State& state) {
    const RijndaelCipher& cipher = keyedCipher();
    auto system = velmora::makeObject<velmora::SystemObject>();
    std::vector<std::uint8_t> data(kBytes, 0x5A);
    for (auto _ : state) {
        for (std::size_t o = 0; o < data.size(); o += 32) {
            cipher.encryptBlock256(data.data() + o);
            system->Do_Events();
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_EncryptBlocksWithDoEvents);

}  // namespace

BENCHMARK_MAIN();
