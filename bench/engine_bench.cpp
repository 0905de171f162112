// The engine's own cost: creating an EncryptObject (plug-in scan, registration, creation of the plug-in's
// main object, and their undoing on release) with the real Blockrune, and a 100 MB file encrypted through
// the engine against the same plug-in called directly. The per-call figures isolate what the engine adds
// (late-bound dispatch, the source-file probe, the key, notification routing) from the cipher's work.
// Runs on a registry and temp folder of its own.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "component/CreateObject.h"
#include "component/calls.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "runtime/text.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr std::size_t kFileBytes = 100u << 20;

fs::path g_folder;

bool registerLibrary(const char* path) {
    HMODULE library = LoadLibraryA(path);
    if (!library) return false;
    auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library, "DllRegisterServer"));
    const bool done = entry && entry() == hr::Ok;
    FreeLibrary(library);
    return done;
}

std::u16string plainFile() {
    const fs::path file = g_folder / "plain.bin";
    if (!fs::exists(file)) {
        std::vector<char> data(kFileBytes);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 2654435761u >> 24);
        std::ofstream(file, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    return fromUtf8(file.string());
}

// The engine with Blockrune selected, wherever the sorted plug-in folder puts it among the methods.
ObjectRef selectedEngine() {
    ObjectRef engine = CreateObject(u"Ciphercore.EncryptObject");
    const ObjectRef methods = getProperty(engine, u"EncryptionMethods").toObject();
    for (std::int32_t i = 1; i <= getProperty(methods, u"Count").toLong(); ++i)
        if (getProperty(getProperty(methods, u"Item", i).toObject(), u"Title").toString() == u" Blockrune")
            letProperty(engine, u"SelectedMethod", i);
    letProperty(engine, u"Key", u"benchmark password");
    return engine;
}

// The plug-in as the engine calls it, with an event source that nobody listens to.
struct DirectPlugIn {
    // Released engines unregister the plug-in: register it again for the direct calls.
    bool registered = registerLibrary(VELMORA_BLOCKRUNE_PATH);
    ObjectRef main = CreateObject(u"Blockrune.Main");
    Variant events = Variant(CreateObject(u"Ciphercore.EventHandler"));
    std::u16string key = u"benchmark password";
};

void BM_CreateEncryptObject(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CreateObject(u"Ciphercore.EncryptObject"));
}
BENCHMARK(BM_CreateEncryptObject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncryptFile100MB_Direct(benchmark::State& state) {
    std::u16string source = plainFile();
    std::u16string dest = fromUtf8((g_folder / "direct.zqf").string());
    DirectPlugIn plugIn;
    for (auto _ : state)
        call(plugIn.main, u"EncryptFile", byRef(source), byRef(dest), byRef(plugIn.key), plugIn.events);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

void BM_EncryptFile100MB_Engine(benchmark::State& state) {
    std::u16string source = plainFile();
    std::u16string dest = fromUtf8((g_folder / "engine.zqf").string());
    const ObjectRef engine = selectedEngine();
    for (auto _ : state) call(engine, u"EncryptFile", byRef(source), byRef(dest));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

double minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// Interleaved repetitions, compared by their fastest run, so that drift in the machine's load hits both.
BENCHMARK(BM_EncryptFile100MB_Direct)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum)
    ->ReportAggregatesOnly();
BENCHMARK(BM_EncryptFile100MB_Engine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum)
    ->ReportAggregatesOnly();

// One short request each way, without file work: the difference is what the engine adds to every
// request (dispatch into the engine, the key, the call by name, routing the plug-in's one notification).
void BM_EncryptStringCall_Direct(benchmark::State& state) {
    DirectPlugIn plugIn;
    std::u16string text = u"x";
    for (auto _ : state) call(plugIn.main, u"EncryptString", byRef(text), byRef(plugIn.key), plugIn.events);
}
BENCHMARK(BM_EncryptStringCall_Direct)->Unit(benchmark::kMicrosecond);

void BM_EncryptStringCall_Engine(benchmark::State& state) {
    const ObjectRef engine = selectedEngine();
    std::u16string text = u"x";
    for (auto _ : state) call(engine, u"EncryptString", byRef(text));
}
BENCHMARK(BM_EncryptStringCall_Engine)->Unit(benchmark::kMicrosecond);

// The source-file probe the engine runs before each file request.
void BM_EncryptFileCall_MissingSource(benchmark::State& state) {
    const ObjectRef engine = selectedEngine();
    std::u16string source = fromUtf8((g_folder / "absent.bin").string());
    std::u16string dest = fromUtf8((g_folder / "absent.zqf").string());
    for (auto _ : state) call(engine, u"EncryptFile", byRef(source), byRef(dest));
}
BENCHMARK(BM_EncryptFileCall_MissingSource)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Never the user's own registry or temp folder.
    std::string folder = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    g_folder = folder;
    setenv("VELMORA_REGISTRY", (g_folder / "registry.db").c_str(), 1);
    setenv("VELMORA_DRIVE_C", (g_folder / "drive_c").c_str(), 1);
    if (!registerLibrary(VELMORA_CIPHERCORE_PATH) || !registerLibrary(VELMORA_BLOCKRUNE_PATH)) return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_folder);
    return 0;
}
