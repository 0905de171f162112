// Registry reads and writes per second, on a registry of its own in a temporary folder.
#include "platform/registryapi.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

HKEY benchKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VelmoraBench", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}

void setValue(HKEY key, DWORD value) {
    RegSetValueExA(key, "counter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void BM_SetValue(benchmark::State& state) {
    HKEY key = benchKey();
    DWORD value = 0;
    for (auto _ : state) setValue(key, ++value);
    RegCloseKey(key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetValue)->UseRealTime();

void BM_QueryValue(benchmark::State& state) {
    HKEY key = benchKey();
    setValue(key, 7);
    for (auto _ : state) {
        DWORD value = 0, size = sizeof value;
        RegQueryValueExA(key, "counter", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        benchmark::DoNotOptimize(value);
    }
    RegCloseKey(key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QueryValue)->Threads(1)->Threads(2)->UseRealTime();

// The one-call pattern of the suite's registry object: open (creating) the key, read, close.
void BM_OpenQueryClose(benchmark::State& state) {
    RegCloseKey(benchKey());
    for (auto _ : state) {
        HKEY key = benchKey();
        DWORD value = 0, size = sizeof value;
        RegQueryValueExA(key, "counter", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenQueryClose)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // Never the user's own registry.
    const auto base = std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX";
    std::string folder = base.string();
    if (!mkdtemp(folder.data())) return 1;
    setenv("VELMORA_REGISTRY", (std::filesystem::path(folder) / "registry.db").c_str(), 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
